// What the user had before the self-test: the foreground window, its keyboard
// layout, and Caps Lock. Restore puts them back from the self-test's window,
// or, where it cannot come to the front again, as far as it can from behind.
#pragma once

#include <windows.h>

#include <string>

#include "TypingWindow.h"

class SavedInput {
 public:
  // Before the self-test's window exists.
  void SaveForeground();
  // Once the self-test's window has the focus, so that this thread's key state
  // is the keyboard's.
  void SaveCapsLock();
  // Empty when everything is back; otherwise what the user must put back.
  std::string Restore(TypingWindow& window) const;

 private:
  std::string RestoreLayout(bool front) const;
  std::string CapsLockLeft(bool front) const;

  HWND foreground = nullptr;
  HKL layout = nullptr;
  bool capsLock = false;
};
