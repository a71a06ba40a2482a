// Scripting and recording interface of the native Win32 stand-in.
#pragma once

#include <windows.h>

#include <deque>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fake {

// A library LoadLibraryA can find by name, with the exports GetProcAddress returns.
struct Module {
  std::string name;
  std::map<std::string, FARPROC> exports;
  int references = 0;
};

// One scripted ReadFile or WriteFile outcome.
struct Transfer {
  bool ok = true;
  std::string bytes;
};

// A key event as keybd_event or SendInput received it.
struct KeyInput {
  WORD vk;
  WORD scan;
  DWORD flags;
  WCHAR unicode;  // the code unit of a KEYEVENTF_UNICODE event, else 0
  bool down;      // KEYEVENTF_KEYUP clear
};

// Everything a test can script, plus the record of calls made.
struct Windows {
  std::vector<std::string> calls;
  // The key events of the keybd_event and SendInput calls recorded, in order.
  std::vector<KeyInput> keyInputs;
  // When not empty, only calls of these names are recorded: building every call's
  // text costs fuzzers more than the driver's own work.
  std::vector<std::string> recordOnly;

  std::deque<DWORD> ticks;  // GetTickCount answers; when empty, time moves on by 1 ms per call
  DWORD lastTick = 1000;
  // With a tick period and no scripted ticks, a clock instead: each GetTickCount
  // costs 1 us, Sleep(n) n ms, and the counter moves on every tickPeriodMs.
  DWORD tickPeriodMs = 0;
  unsigned long long clockUs = 0;

  bool buildDcbOk = true;
  HANDLE createFileResult = reinterpret_cast<HANDLE>(0x44);
  bool setCommTimeoutsOk = true;
  std::deque<Transfer> reads;   // when empty, ReadFile succeeds with nothing received
  std::deque<Transfer> writes;  // when empty, WriteFile writes everything
  std::string written;

  int heapFailures = 0;  // the next n HeapAlloc calls fail
  int heapBlocks = 0;    // live blocks

  std::vector<Module> modules;

  // Keyboard calls answer at once (key 'A', scan 1E) and record nothing, so that
  // benchmarks measure the driver rather than the stand-in.
  bool silentKeyboard = false;

  DWORD currentThread = 1;
  std::map<DWORD, HKL> threadLayouts;
  HWND foreground = nullptr;
  std::map<HWND, DWORD> windowThreads;

  // The focused application: the text the injected key events typed on the
  // foreground layout, the dead key waiting for its letter, the keys held down
  // (virtual keys, and Unicode keys as 0x10000 plus their code unit).
  std::wstring typed;
  WCHAR pendingDead = 0;
  std::set<unsigned> keysDown;
  bool capsLock = false;  // toggled by VK_CAPITAL going down
  // Windows set so that Shift going down turns Caps Lock off: the registry's
  // HKCU\Keyboard Layout\Attributes then holds KLF_SHIFTLOCK; otherwise it has
  // no such value, as in a profile where the setting was never changed.
  bool shiftClearsCapsLock = false;
  // The dead key ToUnicodeEx keeps until its next key: the keyboard state the
  // focused application shares, where a dead key struck on the PC keyboard waits
  // too (set it with pendingDead). Flag 4 reads it without changing it.
  WCHAR translatedDead = 0;

  // What RtlGetVersion answers: Windows 10 22H2 unless a test sets another.
  DWORD versionMajor = 10, versionMinor = 0, versionBuild = 19045;

  std::vector<std::string> executionStates;  // SetThreadExecutionState flags, in hex
  void (*onMessageBox)() = nullptr;          // runs inside MessageBoxA, as a modal loop would
};

Windows& win();
// ntdll, loaded in every process: GetModuleHandleA finds it, GetProcAddress gives
// its RtlGetVersion.
Module& Ntdll();
void Reset();  // fresh state: US layout on the calling thread, no foreground window
void Record(std::string call);
// Whether calls of that name are recorded; checked before their text is built.
bool Recording(const char* name);
std::string Hex(unsigned value);

// The recorded calls whose name is one of names, in order.
std::vector<std::string> Calls(std::initializer_list<const char*> names);

// A function as GetProcAddress would return it, for Module::exports.
template <typename Proc>
FARPROC Export(Proc proc) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(proc));
}

// Keyboard events as recorded: "keybd_event(vk,scan,flags,0)" in hex.
std::string KeyDown(unsigned vk, unsigned scan);
std::string KeyUp(unsigned vk, unsigned scan);
std::string UnicodeDown(unsigned ch);
std::string UnicodeUp(unsigned ch);

// Layouts the stand-in knows, by their Windows layout handles.
extern const HKL kUnitedStates;
extern const HKL kFrench;
extern const HKL kGerman;
extern const HKL kUnitedStatesInternational;
extern const HKL kBelgianPeriod;
extern const HKL kSwissFrench;
extern const HKL kCanadianMultilingual;
// A layout of the XKB keyboard database (rules evdev, model pc105) compiled with
// libxkbcommon, as Windows would install it; null when it cannot be compiled.
// The first call for a name and variant installs it; later calls give the same handle.
HKL XkbLayout(const char* layout, const char* variant);
// The same layout under a handle never given before, as when the user adds it again.
HKL ReinstalledLayout(HKL layout);

// Injected events as the focused application receives them.
void DeliverKey(BYTE vk, bool up);
void DeliverUnicode(WCHAR ch, bool up);

// A foreground window owned by a thread with the given layout.
void SetForegroundLayout(HKL layout);
// Caps Lock as the user left it: GetKeyState(VK_CAPITAL)'s toggled bit.
void SetCapsLock(bool on);
// Windows' setting "press Shift to turn off Caps Lock".
void SetShiftClearsCapsLock(bool on);

}  // namespace fake
