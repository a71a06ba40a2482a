#include "SavedInput.h"

#include "SystemFacts.h"

void SavedInput::SaveForeground() {
  foreground = GetForegroundWindow();
  layout = GetKeyboardLayout(foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0);
}

void SavedInput::SaveCapsLock() {
  capsLock = TypingWindow::CapsLockOn();
}

// The layout goes back on the self-test's thread while it is in front: where
// Windows keeps one input language for all windows, that is the user's again.
std::string SavedInput::Restore(TypingWindow& window) const {
  std::string left;
  bool front = window.BringToFront();
  if (GetKeyboardLayout(0) != layout && !(front && ActivateKeyboardLayout(layout, 0))) {
    left += " the keyboard layout;";
  }
  if (!window.SetCapsLock(capsLock)) {
    if (capsLock) {
      left += " Caps Lock (press it once to turn it on);";
    } else {
      left += SystemFacts::ShiftTurnsCapsLockOff() ? " Caps Lock (press Shift to turn it off);"
                                                   : " Caps Lock (press it once to turn it off);";
    }
  }
  if (foreground) SetForegroundWindow(foreground);
  return left;
}
