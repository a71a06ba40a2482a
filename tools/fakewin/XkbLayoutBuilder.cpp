#include "XkbLayoutBuilder.h"

#include <string.h>

#include <map>
#include <string>

namespace fake {

namespace {

const BYTE kSpareOemVks[] = {0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
                             0xE2, 0xC1, 0xC2, 0xE1, 0xE3, 0xE4, 0x92, 0x93, 0x94, 0x95, 0x96};

// Spacing characters of the dead keys, as Windows layouts give them.
const std::map<std::string, WCHAR>& DeadCharacters() {
  static auto* characters = new std::map<std::string, WCHAR>{
      {"dead_grave", '`'},         {"dead_acute", 0xB4},     {"dead_circumflex", '^'},
      {"dead_tilde", '~'},         {"dead_macron", 0xAF},    {"dead_breve", 0x2D8},
      {"dead_abovedot", 0x2D9},    {"dead_diaeresis", 0xA8}, {"dead_abovering", 0x2DA},
      {"dead_doubleacute", 0x2DD}, {"dead_caron", 0x2C7},    {"dead_cedilla", 0xB8},
      {"dead_ogonek", 0x2DB},      {"dead_iota", 0x37A},     {"dead_belowdot", 0x2D4},
      {"dead_stroke", '/'},        {"dead_belowcomma", ','}, {"dead_hook", 0x2C0}};
  return *characters;
}

// A dead key's character; others stand for themselves in the private-use area.
WCHAR DeadCharacter(xkb_keysym_t sym) {
  char name[64];
  xkb_keysym_get_name(sym, name, sizeof name);
  auto found = DeadCharacters().find(name);
  return found != DeadCharacters().end() ? found->second
                                         : static_cast<WCHAR>(0xE000 + (sym & 0xFFF));
}

bool IsDead(xkb_keysym_t sym) {
  char name[64];
  return xkb_keysym_get_name(sym, name, sizeof name) > 0 && strncmp(name, "dead_", 5) == 0;
}

}  // namespace

Layout* XkbLayoutBuilder::Build() {
  keys.clear();
  ReadKeys();
  AssignVirtualKeys();
  return Make();
}

std::vector<XkbLayoutBuilder::Position> XkbLayoutBuilder::Positions() {
  std::vector<Position> positions = {{0x29, 41, 0xC0}};
  const char* rows[] = {"1234567890\xBD\xBB", "QWERTYUIOP\xDB\xDD", "ASDFGHJKL\xBA\xDE"};
  const BYTE firstScans[] = {0x02, 0x10, 0x1E};
  for (int row = 0; row < 3; ++row) {
    for (BYTE i = 0; rows[row][i]; ++i) {
      BYTE scan = static_cast<BYTE>(firstScans[row] + i);
      positions.push_back({scan, scan, static_cast<BYTE>(rows[row][i])});
    }
  }
  positions.push_back({0x2B, 43, 0xDC});
  positions.push_back({0x56, 86, 0xE2});
  const char bottom[] = "ZXCVBNM\xBC\xBE\xBF";
  for (BYTE i = 0; bottom[i]; ++i) {
    positions.push_back(
        {static_cast<BYTE>(0x2C + i), static_cast<BYTE>(44 + i), static_cast<BYTE>(bottom[i])});
  }
  positions.push_back({0x73, 89, 0xC1});  // ABNT_C1
  return positions;
}

xkb_mod_mask_t XkbLayoutBuilder::Mask(const char* name) const {
  xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, name);
  return index == XKB_MOD_INVALID ? 0 : 1u << index;
}

// The modifiers that the first key typing ISO_Level3_Shift sets: AltGr.
xkb_mod_mask_t XkbLayoutBuilder::LevelThree() const {
  for (xkb_keycode_t code : {108u, 92u, 66u, 51u, 94u}) {
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, code, 0, 0, &syms) != 1 ||
        syms[0] != XKB_KEY_ISO_Level3_Shift) {
      continue;
    }
    xkb_state* state = xkb_state_new(keymap);
    xkb_state_update_key(state, code, XKB_KEY_DOWN);
    xkb_mod_mask_t mask = xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED);
    xkb_state_unref(state);
    return mask;
  }
  return 0;
}

void XkbLayoutBuilder::ReadKeys() {
  xkb_mod_mask_t shift = Mask(XKB_MOD_NAME_SHIFT), lock = Mask(XKB_MOD_NAME_CAPS);
  xkb_mod_mask_t levelThree = LevelThree();
  for (const Position& position : Positions()) keys.push_back({position});
  for (int caps = 0; caps < 2; ++caps) {
    for (int level = 0; level < kLevels; ++level) {
      if ((level & 2) && !levelThree) continue;
      xkb_state* state = xkb_state_new(keymap);
      xkb_mod_mask_t depressed = ((level & 1) ? shift : 0) | ((level & 2) ? levelThree : 0);
      xkb_state_update_mask(state, depressed, 0, caps ? lock : 0, 0, 0, 0);
      for (XkbKey& key : keys) {
        const xkb_keysym_t* syms = nullptr;
        if (xkb_state_key_get_syms(state, key.position.evdev + 8u, &syms) == 1) {
          key.syms[caps][level] = syms[0];
        }
      }
      xkb_state_unref(state);
    }
  }
}

WCHAR XkbLayoutBuilder::Character(xkb_keysym_t sym) {
  if (IsDead(sym)) return DeadCharacter(sym);
  uint32_t ch = xkb_keysym_to_utf32(sym);
  return ch >= 0x20 && ch <= 0xFFFF ? static_cast<WCHAR>(ch) : 0;
}

void XkbLayoutBuilder::Take(XkbKey& key, BYTE vk) {
  key.vk = vk;
  taken[vk] = true;
}

// Letters by their letter, the digit row by its digits, then , . - + by their
// OEM keys, then the US layout's key of the position, then a spare OEM key.
void XkbLayoutBuilder::AssignVirtualKeys() {
  AssignLetters();
  AssignDigits();
  AssignSigns();
  AssignOthers();
}

void XkbLayoutBuilder::AssignLetters() {
  for (XkbKey& key : keys) {
    WCHAR ch = Character(key.syms[0][kNormal]);
    BYTE upper = static_cast<BYTE>(ch - 'a' + 'A');
    if (ch >= 'a' && ch <= 'z' && !taken[upper]) Take(key, upper);
  }
}

void XkbLayoutBuilder::AssignDigits() {
  for (XkbKey& key : keys) {
    BYTE scan = key.position.scan;
    BYTE digit = static_cast<BYTE>(scan == 0x0B ? '0' : '1' + scan - 0x02);
    if (!key.vk && scan >= 0x02 && scan <= 0x0B && !taken[digit]) Take(key, digit);
  }
}

void XkbLayoutBuilder::AssignSigns() {
  const std::pair<WCHAR, BYTE> signs[] = {{',', 0xBC}, {'.', 0xBE}, {'-', 0xBD}, {'+', 0xBB}};
  for (int level = kNormal; level <= kShift; ++level) {
    for (const auto& sign : signs) {
      for (XkbKey& key : keys) {
        if (!key.vk && !taken[sign.second] && Character(key.syms[0][level]) == sign.first) {
          Take(key, sign.second);
        }
      }
    }
  }
}

void XkbLayoutBuilder::AssignOthers() {
  for (XkbKey& key : keys) {
    if (!key.vk && key.position.usVk && !taken[key.position.usVk]) Take(key, key.position.usVk);
    for (BYTE spare : kSpareOemVks) {
      if (!key.vk && !taken[spare]) Take(key, spare);
    }
  }
}

Layout* XkbLayoutBuilder::Make() const {
  Layout* layout = new Layout();
  for (const XkbKey& xkbKey : keys) {
    LayoutKey key;
    key.scan = xkbKey.position.scan;
    key.vk = xkbKey.vk;
    for (int caps = 0; caps < 2; ++caps) {
      for (int level = 0; level < kLevels; ++level) {
        key.chars[caps][level] = Character(xkbKey.syms[caps][level]);
        if (IsDead(xkbKey.syms[caps][level])) key.dead[caps] |= static_cast<BYTE>(1 << level);
      }
    }
    layout->Add(key);
  }
  AddCompositions(*layout);
  return layout;
}

xkb_compose_table* XkbLayoutBuilder::ComposeTable() const {
  static xkb_compose_table* table =
      xkb_compose_table_new_from_locale(context, "en_US.UTF-8", XKB_COMPOSE_COMPILE_NO_FLAGS);
  return table;
}

// Each dead keysym of the layout followed by each character the layout types.
void XkbLayoutBuilder::AddCompositions(Layout& layout) const {
  xkb_compose_table* table = ComposeTable();
  if (!table) return;
  xkb_compose_state* state = xkb_compose_state_new(table, XKB_COMPOSE_STATE_NO_FLAGS);
  for (const XkbKey& deadKey : keys) {
    for (xkb_keysym_t dead : deadKey.syms[0]) {
      if (IsDead(dead)) AddCompositions(layout, state, dead);
    }
  }
  xkb_compose_state_unref(state);
}

void XkbLayoutBuilder::AddCompositions(Layout& layout, xkb_compose_state* state,
                                       xkb_keysym_t dead) const {
  for (const XkbKey& key : keys) {
    for (int i = 0; i < 2 * kLevels; ++i) {
      xkb_keysym_t next = key.syms[i / kLevels][i % kLevels];
      WCHAR nextCh = Character(next);
      if (!nextCh || nextCh == ' ' || IsDead(next)) continue;
      xkb_compose_state_reset(state);
      xkb_compose_state_feed(state, dead);
      xkb_compose_state_feed(state, next);
      if (xkb_compose_state_get_status(state) != XKB_COMPOSE_COMPOSED) continue;
      WCHAR composed = Character(xkb_compose_state_get_one_sym(state));
      if (composed) layout.AddComposition(DeadCharacter(dead), nextCh, composed);
    }
  }
}

}  // namespace fake
