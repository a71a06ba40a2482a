#include "SavedInput.h"

#include "../shared/facts/KeyState.h"
#include "CapsLockKey.h"

void SavedInput::SaveForeground() {
  foreground = GetForegroundWindow();
  layout = GetKeyboardLayout(foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0);
}

void SavedInput::SaveCapsLock() {
  capsLock = KeyState::CapsLockOn();
}

std::string SavedInput::Restore(TypingWindow& window) const {
  bool front = window.BringToFront();
  std::string left = RestoreLayout(front);
  if (!CapsLockKey(window).Set(capsLock)) left += CapsLockLeft(front);
  if (foreground) SetForegroundWindow(foreground);
  return left;
}

// Caps Lock where it could not be set from the self-test's window: with another
// window in front it is pressed blind, which cannot be confirmed, so it is
// named; otherwise the user is told which key to press.
std::string SavedInput::CapsLockLeft(bool front) const {
  if (!front && CapsLockKey::Press(capsLock)) {
    return " Caps Lock (pressed once with another window in front: check it);";
  }
  if (capsLock) return " Caps Lock (press it once to turn it on);";
  return CapsLockKey::KeyTo(false) == VK_SHIFT ? " Caps Lock (press Shift to turn it off);"
                                               : " Caps Lock (press it once to turn it off);";
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
