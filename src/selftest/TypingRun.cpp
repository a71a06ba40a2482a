#include "TypingRun.h"

#include <stdio.h>

#include "../shared/facts/Cp1252.h"
#include "../shared/facts/KeyState.h"
#include "InjectionGuard.h"
#include "Interruption.h"
#include "SystemFacts.h"
#include "TextDiff.h"

namespace {

// Typing the sample takes about a second; past this the layout is reported as
// too slow and the next one goes on.
const DWORD kLimitMs = 30000;
// How long the driver's thread may take to return from BrlTimer and BrlTerminate
// once asked to stop; until it has, the keys it might still send to another
// window are dropped.
const DWORD kFinishMs = 10000;

// Why typing must stop at once, or null.
const char* StopReason(TypingWindow::State state) {
  if (state == TypingWindow::kClosed) return "stopped: the self-test's window was closed";
  if (state == TypingWindow::kCancelled) return "stopped: Esc was pressed";
  if (const char* reason = Interruption::Reason()) return reason;
  return state == TypingWindow::kFocusLost ? "stopped: another window took the focus" : nullptr;
}

}  // namespace

TypingRun::TypingRun(DriverThread& worker, TypingWindow& window, const TypingSample& sample)
    : worker(worker),
      window(window),
      sample(sample),
      capsLockKey(window),
      carryCapsLock(SystemFacts::UnderWine()) {}

Outcome TypingRun::Run(Layout& layout, bool capsLock) {
  // Until the window first had the focus, Prepare tries to take it; once it
  // had it, the focus going elsewhere stops everything.
  TypingWindow::State state = window.Pump();
  if (state == TypingWindow::kFocusLost && !hadFocus) state = TypingWindow::kWaiting;
  if (const char* reason = StopReason(state)) return {Outcome::kStopped, reason};
  std::string failure = Prepare(layout, capsLock);
  if (!failure.empty()) return {Outcome::kNotRun, failure};
  Outcome outcome = Type();
  return outcome.kind == Outcome::kRight ? Compare(layout.handle, capsLock) : outcome;
}

// Empty when the window is in front with the layout active and Caps Lock as asked.
std::string TypingRun::Prepare(Layout& layout, bool capsLock) {
  if (!window.BringToFront()) return "could not become the foreground window";
  hadFocus = true;
  if (!layout.handle || !ActivateKeyboardLayout(layout.handle, 0) ||
      GetKeyboardLayout(0) != layout.handle) {
    return "could not activate the layout";
  }
  char active[KL_NAMELENGTH] = {};
  GetKeyboardLayoutNameA(active);
  if (layout.klid.empty()) layout.klid = active;
  if (layout.klid != active) return std::string("Windows activated ") + active + " instead";
  if (!capsLockKey.Set(capsLock)) {
    return capsLock ? "could not turn Caps Lock on" : "could not turn Caps Lock off";
  }
  window.Clear();
  return "";
}

// The driver types from its own thread while this one handles the window's
// messages and the guard's hook, until the end key arrives or typing must stop.
Outcome TypingRun::Type() {
  InjectionGuard guard(window.Frame());
  if (!guard.Installed()) return {Outcome::kNotRun, "could not install the keyboard hook"};
  if (carryCapsLock) worker.CarryCapsLock(KeyState::CapsLockOn());
  worker.Begin();
  Outcome outcome = Watch();
  // BrlTerminate lets go of any key the driver still holds; the hook lets
  // only those releases reach another window.
  worker.Finish();
  window.Pump(kFinishMs, worker.Idle());
  if (!worker.IsIdle()) {
    guard.LeakUntilExit();  // the stuck thread may still type
    return {Outcome::kStuck, "stopped: the driver did not return from BrlTimer or BrlTerminate"};
  }
  InjectionGuard::Release();
  window.Pump(50);
  return outcome;
}

// Stops at once when the hook dropped a key or the focus left the window.
Outcome TypingRun::Watch() {
  DWORD start = GetTickCount();
  for (;;) {
    TypingWindow::State state = window.Pump(5, worker.Idle());
    if (InjectionGuard::Blocked()) state = TypingWindow::kFocusLost;
    if (state == TypingWindow::kEnded) return {Outcome::kRight, ""};
    if (const char* reason = StopReason(state)) return {Outcome::kStopped, reason};
    if (worker.IsIdle() && !worker.Opened()) {
      return {Outcome::kNotRun,
              "the driver did not open the simulated display (BrlInit returned 0)"};
    }
    if (GetTickCount() - start > kLimitMs) {
      return {Outcome::kTooLong, "took too long: not all typed after 30 s"};
    }
  }
}

Outcome TypingRun::Compare(HKL layout, bool capsLock) {
  bool allByKey = true;
  std::string keys = KeysAndUnicode(layout, capsLock, &allByKey);
  TextDiff diff(sample.Expected(), window.Text());
  const int total = static_cast<int>(sample.Expected().size());
  char counts[64];
  snprintf(counts, sizeof counts, "%d wrong of %d", diff.Wrong(), total);
  std::string text = counts;
  if (diff.Wrong()) text += ": " + diff.Examples();
  bool capsChanged = KeyState::CapsLockOn() != capsLock;
  if (capsChanged) text += "; Caps Lock changed while typing";
  bool sawAsAsked = true;
  keys += DriverCapsLock(capsLock, &sawAsAsked);
  std::string held = ModifiersDown();
  if (!held.empty()) text += "; left down:" + held;
  text += keys;
  if (diff.Wrong() || capsChanged || !held.empty() || !allByKey || !sawAsAsked) {
    return {Outcome::kWrong, text};
  }
  snprintf(counts, sizeof counts, "all %d right", total);
  return {Outcome::kRight, counts + keys};
}

// How many characters arrived by their own keys and how many as Unicode input
// (VK_PACKET), which shortcuts, access keys and navigation keys never see.
std::string TypingRun::KeysAndUnicode(HKL layout, bool capsLock, bool* allByKey) const {
  int byKey = 0, unicode = 0;
  std::string missed;
  for (const TypingWindow::Arrival& arrival : window.Arrivals()) {
    bool packet = arrival.vk == VK_PACKET;
    ++(packet ? unicode : byKey);
    if (!packet || missed.size() >= 40 || !MustComeByKey(arrival.ch, layout, capsLock)) continue;
    char point[16];
    snprintf(point, sizeof point, " U+%04X", static_cast<unsigned>(arrival.ch));
    missed += point;
  }
  *allByKey = missed.empty();
  char text[128];
  snprintf(text, sizeof text, "; %d by key, %d as Unicode input", byKey, unicode);
  return text + (missed.empty() ? "" : "; as Unicode input, not by key:" + missed);
}

// What comes by a key on any Windows: Space where the layout has it at the
// plain level, and with Caps Lock off letters and digits it has at the plain or
// Shift level; not on the numeric keypad, whose characters depend on Num Lock.
bool TypingRun::MustComeByKey(WCHAR ch, HKL layout, bool capsLock) {
  SHORT found = VkKeyScanExW(ch, layout);
  BYTE vk = static_cast<BYTE>(found & 0xFF);
  int shift = (found >> 8) & 7;
  if (vk == 0xFF || (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE)) return false;
  if (ch == L' ') return shift == 0;
  char ansi = 0;
  BOOL unmapped = TRUE;
  WideCharToMultiByte(CP_ACP, 0, &ch, 1, &ansi, 1, nullptr, &unmapped);
  return !capsLock && !unmapped && shift <= 1 &&
         Cp1252::LetterOrDigit(static_cast<unsigned char>(ansi));
}

// Caps Lock as the driver's thread had it when the run began. Set on it by the
// self-test, it shows only that the setting took: never the driver following.
std::string TypingRun::DriverCapsLock(bool capsLock, bool* asAsked) const {
  *asAsked = worker.SawCapsLock() == capsLock;
  if (carryCapsLock) {
    return *asAsked ? "; Caps Lock set on the driver's thread by the self-test (Wine): whether "
                      "the driver follows it is not checked"
                    : "; Caps Lock could not be set on the driver's thread";
  }
  return *asAsked ? "; the driver's thread saw Caps Lock as set"
                  : "; the driver's thread did not see Caps Lock change";
}

// Modifiers the driver left down after BrlTerminate, let go here so that the
// user's keyboard is not left with them.
std::string TypingRun::ModifiersDown() {
  static const struct {
    BYTE vk;
    const char* name;
  } kModifiers[] = {{VK_SHIFT, " Shift"}, {VK_CONTROL, " Ctrl"}, {VK_MENU, " Alt"}};
  std::string held;
  for (const auto& modifier : kModifiers) {
    if (!(GetAsyncKeyState(modifier.vk) & 0x8000)) continue;
    held += modifier.name;
    INPUT up = {};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = modifier.vk;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &up, sizeof up);
  }
  return held;
}
