// Recording stand-in for the kernel32 and user32 functions the driver calls.
// Each behaves as Windows documents it, with results a test can script.
#include "FakeWindows.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <utility>

#include "FakeFiles.h"
#include "FakePipe.h"

namespace fake {

Windows& win() {
  static Windows* state = new Windows();  // outlives static displays at exit
  return *state;
}

void Reset() {
  win() = Windows();
  win().threadLayouts[win().currentThread] = kUnitedStates;
}

// Compared by hand: memcmp would feed the fuzzers' comparison tables.
static bool Recording(const char* name, size_t length) {
  const std::vector<std::string>& only = win().recordOnly;
  if (only.empty()) return true;
  for (const std::string& recorded : only) {
    size_t i = 0;
    while (i < length && i < recorded.size() && recorded[i] == name[i]) ++i;
    if (i == length && i == recorded.size()) return true;
  }
  return false;
}

bool Recording(const char* name) {
  return Recording(name, strlen(name));
}

void Record(std::string call) {
  if (Recording(call.c_str(), call.find('('))) win().calls.push_back(std::move(call));
}

// As "%X" writes it, without printf's cost in every recorded call.
std::string Hex(unsigned value) {
  char text[8];
  int at = sizeof text;
  do {
    text[--at] = "0123456789ABCDEF"[value & 0xF];
    value >>= 4;
  } while (value);
  return std::string(text + at, sizeof text - at);
}

std::vector<std::string> Calls(std::initializer_list<const char*> names) {
  std::vector<std::string> result;
  for (const std::string& call : win().calls) {
    for (const char* name : names) {
      size_t length = strlen(name);
      if (call.compare(0, length, name) == 0 && call.size() > length && call[length] == '(') {
        result.push_back(call);
      }
    }
  }
  return result;
}

static std::string KeyEvent(unsigned vk, unsigned scan, unsigned flags) {
  return "keybd_event(" + Hex(vk) + "," + Hex(scan) + "," + Hex(flags) + ",0)";
}

std::string KeyDown(unsigned vk, unsigned scan) {
  return KeyEvent(vk, scan, 0);
}
std::string KeyUp(unsigned vk, unsigned scan) {
  return KeyEvent(vk, scan, KEYEVENTF_KEYUP);
}
std::string UnicodeDown(unsigned ch) {
  return "SendInput(unicode " + Hex(ch) + " down)";
}
std::string UnicodeUp(unsigned ch) {
  return "SendInput(unicode " + Hex(ch) + " up)";
}

static void RecordKey(WORD vk, WORD scan, DWORD flags) {
  WCHAR unicode = (flags & KEYEVENTF_UNICODE) ? static_cast<WCHAR>(scan) : 0;
  win().keyInputs.push_back({vk, scan, flags, unicode, !(flags & KEYEVENTF_KEYUP)});
}

static std::string Pointer(const void* p) {
  return Hex(static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)));
}

static std::string Quoted(const char* s) {
  return s ? "\"" + std::string(s) + "\"" : "null";
}

static Module* ModuleByHandle(HMODULE handle) {
  if (handle == reinterpret_cast<HMODULE>(&Ntdll())) return &Ntdll();
  for (Module& module : win().modules) {
    if (module.references > 0 && reinterpret_cast<HMODULE>(&module) == handle) return &module;
  }
  return nullptr;
}

}  // namespace fake

using fake::Hex;
using fake::Pointer;
using fake::Quoted;
using fake::Record;
using fake::Recording;
using fake::win;

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
  if (Recording(__func__)) Record("LoadLibraryA(" + Quoted(name) + ")");
  for (fake::Module& module : win().modules) {
    if (name && strcasecmp(module.name.c_str(), name) == 0) {
      ++module.references;
      return reinterpret_cast<HMODULE>(&module);
    }
  }
  return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR name) {
  if (Recording(__func__)) Record("GetProcAddress(" + Quoted(name) + ")");
  fake::Module* module = fake::ModuleByHandle(handle);
  if (!module || !module->exports.count(name)) return nullptr;
  return module->exports[name];
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
  if (Recording(__func__)) Record("FreeLibrary()");
  fake::Module* module = fake::ModuleByHandle(handle);
  if (!module) return FALSE;
  --module->references;
  return TRUE;
}

BOOL WINAPI BuildCommDCBA(LPCSTR def, LPDCB dcb) {
  if (Recording(__func__)) {
    Record("BuildCommDCBA(" + Quoted(def) + "," + std::to_string(dcb->DCBlength) + ")");
  }
  if (!win().buildDcbOk) return FALSE;
  const char* colon = strchr(def, ':');
  dcb->BaudRate = colon ? static_cast<DWORD>(atoi(colon + 1)) : 0;
  return TRUE;
}

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile) {
  if (Recording(__func__)) {
    Record("CreateFileA(" + Quoted(name) + "," + Hex(access) + "," + Hex(share) + "," +
           Pointer(security) + "," + Hex(disposition) + "," + Hex(flags) + "," +
           Pointer(templateFile) + ")");
  }
  return win().createFileResult;
}

BOOL WINAPI SetCommState(HANDLE file, LPDCB dcb) {
  if (Recording(__func__)) {
    Record("SetCommState(" + Pointer(file) + ",baud " + std::to_string(dcb->BaudRate) + ")");
  }
  return TRUE;
}

BOOL WINAPI SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS t) {
  if (Recording(__func__)) {
    Record("SetCommTimeouts(" + Pointer(file) + "," + Hex(t->ReadIntervalTimeout) + "," +
           Hex(t->ReadTotalTimeoutMultiplier) + "," + Hex(t->ReadTotalTimeoutConstant) + "," +
           Hex(t->WriteTotalTimeoutMultiplier) + "," + Hex(t->WriteTotalTimeoutConstant) + ")");
  }
  return win().setCommTimeoutsOk;
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                     LPOVERLAPPED overlapped) {
  if (Recording(__func__)) Record("ReadFile(" + Pointer(file) + "," + std::to_string(toRead) + ")");
  if (file == fake::pipe().handle) return fake::PipeRead(buffer, toRead, read, overlapped);
  *read = 0;
  if (!file || file == INVALID_HANDLE_VALUE) return FALSE;
  if (win().reads.empty()) return TRUE;
  fake::Transfer next = win().reads.front();
  win().reads.pop_front();
  if (!next.ok) return FALSE;
  DWORD count = next.bytes.size() < toRead ? static_cast<DWORD>(next.bytes.size()) : toRead;
  memcpy(buffer, next.bytes.data(), count);
  *read = count;
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      LPOVERLAPPED overlapped) {
  if (Recording(__func__)) {
    Record("WriteFile(" + Pointer(file) + "," + std::to_string(toWrite) + ")");
  }
  if (file == fake::pipe().handle) return fake::PipeWrite(buffer, toWrite, written, overlapped);
  if (fake::IsFile(file)) return fake::FileWrite(file, buffer, toWrite, written);
  *written = 0;
  if (!file || file == INVALID_HANDLE_VALUE) return FALSE;
  DWORD count = toWrite;
  if (!win().writes.empty()) {
    fake::Transfer next = win().writes.front();
    win().writes.pop_front();
    if (!next.ok) return FALSE;
    count = next.bytes.size() < toWrite ? static_cast<DWORD>(next.bytes.size()) : toWrite;
  }
  win().written.append(static_cast<const char*>(buffer), count);
  *written = count;
  return TRUE;
}

BOOL WINAPI ClearCommError(HANDLE file, LPDWORD errors, LPCOMSTAT stat) {
  if (Recording(__func__)) Record("ClearCommError(" + Pointer(file) + ")");
  if (errors) *errors = 0;
  if (stat) memset(stat, 0, sizeof *stat);
  return file && file != INVALID_HANDLE_VALUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
  if (Recording(__func__)) Record("CloseHandle(" + Pointer(object) + ")");
  fake::FileClose(object);
  return TRUE;
}

LPSTR WINAPI lstrcpynA(LPSTR dest, LPCSTR src, int maxLength) {
  if (maxLength <= 0) return dest;
  int i = 0;
  for (; i < maxLength - 1 && src[i]; ++i) dest[i] = src[i];
  dest[i] = 0;
  return dest;
}

int WINAPI lstrlenA(LPCSTR s) {
  return s ? static_cast<int>(strlen(s)) : 0;
}

DWORD WINAPI GetTickCount(void) {
  if (Recording(__func__)) Record("GetTickCount()");
  fake::Windows& w = win();
  if (w.ticks.empty() && w.tickPeriodMs) {
    ++w.clockUs;
    return static_cast<DWORD>(w.clockUs / 1000 / w.tickPeriodMs * w.tickPeriodMs);
  }
  if (w.ticks.empty()) return ++w.lastTick;
  w.lastTick = w.ticks.front();
  w.ticks.pop_front();
  return w.lastTick;
}

void WINAPI Sleep(DWORD ms) {
  if (Recording(__func__)) Record("Sleep(" + std::to_string(ms) + ")");
  fake::Windows& w = win();
  w.clockUs += 1000ull * ms;
  if (w.ticks.empty()) w.lastTick += ms;
}

HANDLE WINAPI GetProcessHeap(void) {
  return reinterpret_cast<HANDLE>(0x4EA9);
}

LPVOID WINAPI HeapAlloc(HANDLE, DWORD, SIZE_T bytes) {
  if (win().heapFailures > 0) {
    --win().heapFailures;
    return nullptr;
  }
  ++win().heapBlocks;
  return malloc(bytes);
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID memory) {
  if (memory) --win().heapBlocks;
  free(memory);
  return TRUE;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (Recording(__func__)) {
    Record("MessageBoxA(" + Pointer(owner) + "," + Quoted(text) + "," + Quoted(caption) + "," +
           Hex(type) + ")");
  }
  if (win().onMessageBox) win().onMessageBox();
  return IDOK;
}

void WINAPI keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
  if (win().silentKeyboard) return;
  if (Recording(__func__)) {
    Record("keybd_event(" + Hex(vk) + "," + Hex(scan) + "," + Hex(flags) + "," +
           Hex(static_cast<unsigned>(extraInfo)) + ")");
    fake::RecordKey(vk, scan, flags);
  }
  fake::DeliverKey(vk, flags & KEYEVENTF_KEYUP);
}

UINT WINAPI SendInput(UINT count, LPINPUT inputs, int size) {
  if (size != static_cast<int>(sizeof(INPUT))) return 0;
  if (win().silentKeyboard) return count;
  for (UINT i = 0; i < count; ++i) {
    const KEYBDINPUT& k = inputs[i].ki;
    if (inputs[i].type == INPUT_KEYBOARD && k.wVk == 0 &&
        (k.dwFlags & ~KEYEVENTF_KEYUP) == KEYEVENTF_UNICODE) {
      if (Recording(__func__)) {
        Record("SendInput(unicode " + Hex(k.wScan) +
               ((k.dwFlags & KEYEVENTF_KEYUP) ? " up)" : " down)"));
      }
    } else {
      if (Recording(__func__)) {
        Record("SendInput(type " + Hex(inputs[i].type) + ",vk " + Hex(k.wVk) + ",scan " +
               Hex(k.wScan) + ",flags " + Hex(k.dwFlags) + ")");
      }
    }
    // Down or up from KEYEVENTF_KEYUP alone, whatever the other flags.
    if (inputs[i].type != INPUT_KEYBOARD) continue;
    if (Recording(__func__)) fake::RecordKey(k.wVk, k.wScan, k.dwFlags);
    if (k.dwFlags & KEYEVENTF_UNICODE) {
      fake::DeliverUnicode(k.wScan, k.dwFlags & KEYEVENTF_KEYUP);
    } else {
      fake::DeliverKey(static_cast<BYTE>(k.wVk), k.dwFlags & KEYEVENTF_KEYUP);
    }
  }
  return count;
}

EXECUTION_STATE WINAPI SetThreadExecutionState(EXECUTION_STATE flags) {
  if (Recording(__func__)) Record("SetThreadExecutionState(" + Hex(flags) + ")");
  return ES_CONTINUOUS;
}

HWND WINAPI GetForegroundWindow(void) {
  if (win().silentKeyboard) return nullptr;
  if (Recording(__func__)) Record("GetForegroundWindow()");
  return win().foreground;
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId) {
  if (Recording(__func__)) Record("GetWindowThreadProcessId(" + Pointer(window) + ")");
  if (processId) *processId = 0;
  auto found = win().windowThreads.find(window);
  return found == win().windowThreads.end() ? 0 : found->second;
}

HKL WINAPI GetKeyboardLayout(DWORD threadId) {
  if (win().silentKeyboard) return fake::kUnitedStates;
  if (Recording(__func__)) Record("GetKeyboardLayout(" + std::to_string(threadId) + ")");
  DWORD thread = threadId ? threadId : win().currentThread;
  auto found = win().threadLayouts.find(thread);
  return found == win().threadLayouts.end() ? nullptr : found->second;
}

}  // extern "C"
