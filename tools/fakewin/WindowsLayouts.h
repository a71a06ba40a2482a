// The Windows layouts the stand-in knows by hand, from Windows' own layout
// tables and documented key charts, installed under their Windows handles.
#pragma once

namespace fake {

class WindowsLayouts {
 public:
  // Installs them the first time it is called.
  static void InstallOnce();
};

}  // namespace fake
