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
// With another window in front, that window is asked to switch back, and Caps
// Lock pressed blind; neither can be confirmed, so both are named.
std::string SavedInput::Restore(TypingWindow& window) const {
  std::string left;
  bool front = window.BringToFront();
  if (GetKeyboardLayout(0) != layout && !(front && ActivateKeyboardLayout(layout, 0))) {
    // Only a window that took the self-test's layout, as where Windows keeps one
    // input language for all windows.
    HWND other = front ? nullptr : GetForegroundWindow();
    bool took = other &&
                GetKeyboardLayout(GetWindowThreadProcessId(other, nullptr)) == GetKeyboardLayout(0);
    bool asked =
        took && PostMessageW(other, WM_INPUTLANGCHANGEREQUEST, 0, reinterpret_cast<LPARAM>(layout));
    left += asked ? " the keyboard layout (the window in front was asked to switch back);"
                  : " the keyboard layout;";
  }
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
