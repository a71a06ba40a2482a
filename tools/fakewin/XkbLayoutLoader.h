// Layouts of the XKB keyboard database, compiled with libxkbcommon and made into
// layouts of the stand-in as Windows would install them.
#pragma once

#include <windows.h>

namespace fake {

class XkbLayoutLoader {
 public:
  // The layout for that name and variant (rules evdev, model pc105), installed
  // once under its own handle; null when libxkbcommon cannot compile it.
  static HKL Load(const char* layout, const char* variant);
};

}  // namespace fake
