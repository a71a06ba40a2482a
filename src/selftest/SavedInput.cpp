#include "SavedInput.h"

#include "SystemFacts.h"

void SavedInput::SaveForeground() {
  foreground = GetForegroundWindow();
  layout = GetKeyboardLayout(foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0);
}

void SavedInput::SaveCapsLock() {
  capsLock = TypingWindow::CapsLockOn();
}

// With another window in front, Caps Lock is pressed blind; that cannot be
// confirmed, so it is named.
std::string SavedInput::Restore(TypingWindow& window) const {
  bool front = window.BringToFront();
  std::string left = RestoreLayout(front);
  if (!window.SetCapsLock(capsLock)) {
    if (!front && TypingWindow::PressCapsLock(capsLock)) {
      left += " Caps Lock (pressed once with another window in front: check it);";
    } else if (capsLock) {
      left += " Caps Lock (press it once to turn it on);";
    } else {
      left += SystemFacts::ShiftTurnsCapsLockOff() ? " Caps Lock (press Shift to turn it off);"
                                                   : " Caps Lock (press it once to turn it off);";
    }
  }
  if (foreground) SetForegroundWindow(foreground);
  return left;
}

// The layout goes back on the self-test's thread while it is in front: where
// Windows keeps one input language for all windows, that is the user's again.
// Otherwise the window in front is asked to switch back, if it took the
// self-test's layout; that cannot be confirmed either.
std::string SavedInput::RestoreLayout(bool front) const {
  HKL now = GetKeyboardLayout(0);
  if (now == layout || (front && ActivateKeyboardLayout(layout, 0))) return "";
  HWND other = front ? nullptr : GetForegroundWindow();
  bool took = other && GetKeyboardLayout(GetWindowThreadProcessId(other, nullptr)) == now;
  bool asked =
      took && PostMessageW(other, WM_INPUTLANGCHANGEREQUEST, 0, reinterpret_cast<LPARAM>(layout));
  return asked ? " the keyboard layout (the window in front was asked to switch back);"
               : " the keyboard layout;";
}
