// Builds a layout of the stand-in from a keymap compiled with libxkbcommon, as
// Windows would install it: keys by Windows scan code (the evdev code of the main
// block), the four levels from an xkb_state with Shift and the key that sets
// LevelThree, Caps Lock from each key's type (the Lock modifier set, no
// capitalisation beyond what the type says), dead keys standing for their accent
// character, compositions from the Compose table, and virtual keys assigned as
// Windows assigns them.
#pragma once

#include <windows.h>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <vector>

#include "Layout.h"

namespace fake {

class XkbLayoutBuilder {
 public:
  XkbLayoutBuilder(xkb_context* context, xkb_keymap* keymap) : context(context), keymap(keymap) {}

  // A new layout, for Layout::Install.
  Layout* Build();

 private:
  // A main-block key by ISO position: TLDE, AE01-AE12, AD01-AD12, AC01-AC11, BKSL,
  // LSGT, AB01-AB10, AB11. Its evdev code is its scan code, but for AB11.
  struct Position {
    BYTE scan;
    BYTE evdev;
    BYTE usVk;  // the virtual key of that position on the US layout, or 0
  };
  // One key's keysym per Caps Lock state and level, before it becomes a LayoutKey.
  struct XkbKey {
    Position position;
    xkb_keysym_t syms[2][kLevels] = {};
    BYTE vk = 0;
  };

  static std::vector<Position> Positions();
  xkb_mod_mask_t Mask(const char* name) const;
  xkb_mod_mask_t LevelThree() const;
  void ReadKeys();
  static WCHAR Character(xkb_keysym_t sym);
  void Take(XkbKey& key, BYTE vk);
  void AssignVirtualKeys();
  void AssignLetters();
  void AssignDigits();
  void AssignSigns();
  void AssignOthers();
  Layout* Make() const;
  xkb_compose_table* ComposeTable() const;
  void AddCompositions(Layout& layout) const;
  void AddCompositions(Layout& layout, xkb_compose_state* state, xkb_keysym_t dead) const;

  xkb_context* context;
  xkb_keymap* keymap;
  std::vector<XkbKey> keys;
  bool taken[256] = {};
};

}  // namespace fake
