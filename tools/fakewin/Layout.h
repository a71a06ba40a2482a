// A keyboard layout of the Win32 stand-in, as Windows' layout tables describe
// one: keys by scan code and virtual key, the character of each level with Caps
// Lock off and on, dead keys, and what a dead key makes of the next character.
#pragma once

#include <windows.h>

#include <map>
#include <utility>
#include <vector>

namespace fake {

// Levels: none, Shift, AltGr (Ctrl+Alt), Shift+AltGr.
enum Level { kNormal = 0, kShift = 1, kAltGr = 2, kShiftAltGr = 3, kLevels = 4 };

struct LayoutKey {
  BYTE scan = 0;
  BYTE vk = 0;
  WCHAR chars[2][kLevels] = {};  // by Caps Lock off/on and level, Unicode; 0 = none
  BYTE dead[2] = {};             // bit per level: that character is a dead key
};

class Layout {
 public:
  // A layout with the keys every layout shares (space, Enter, Tab, Backspace,
  // Escape, the modifiers and the navigation block).
  Layout();

  // The key with that virtual key; null when the layout has none.
  const LayoutKey* Key(UINT vk) const;
  void Add(const LayoutKey& key) { keys.push_back(key); }
  const std::vector<LayoutKey>& Keys() const { return keys; }

  // What a dead key standing for accent makes of the next character: the
  // composed character, or 0 when they do not compose. Followed by a space it
  // types the accent itself unless a composition says otherwise.
  WCHAR Compose(WCHAR accent, WCHAR next) const;
  void AddComposition(WCHAR accent, WCHAR next, WCHAR composed) {
    compositions[{accent, next}] = composed;
  }

  // Installs a layout under a handle never given before; the layout lives as
  // long as the process, as an installed layout does.
  static HKL Install(Layout* layout);
  static void Install(HKL handle, Layout* layout);
  // The layout with that handle; null for an unknown handle.
  static const Layout* Find(HKL handle);

 private:
  std::vector<LayoutKey> keys;
  std::map<std::pair<WCHAR, WCHAR>, WCHAR> compositions;
};

}  // namespace fake
