// Keys by Windows scan code (the evdev code of the main block), the four levels
// from an xkb_state with Shift and the key that sets LevelThree, Caps Lock from
// each key's type (the Lock modifier set, no capitalisation beyond what the type
// says), dead keys standing for their accent character, compositions from the
// Compose table, and virtual keys assigned as Windows assigns them.
#include "XkbLayoutLoader.h"

#include <string.h>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <map>
#include <string>

#include "FakeWindows.h"
#include "Layout.h"

namespace fake {

namespace {

// Main-block keys by ISO position: TLDE, AE01-AE12, AD01-AD12, AC01-AC11, BKSL,
// LSGT, AB01-AB10, AB11. Their evdev codes are their scan codes, but for AB11.
struct Position {
  BYTE scan;
  BYTE evdev;
  BYTE usVk;  // the virtual key of that position on the US layout, or 0
};

std::vector<Position> Positions() {
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

xkb_context* Context() {
  static xkb_context* context = [] {
    xkb_context* created = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (created) xkb_context_set_log_level(created, XKB_LOG_LEVEL_CRITICAL);
    return created;
  }();
  return context;
}

xkb_compose_table* ComposeTable() {
  static xkb_compose_table* table =
      Context() ? xkb_compose_table_new_from_locale(Context(), "en_US.UTF-8",
                                                    XKB_COMPOSE_COMPILE_NO_FLAGS)
                : nullptr;
  return table;
}

// One key's keysym per Caps Lock state and level, before it becomes a LayoutKey.
struct XkbKey {
  Position position;
  xkb_keysym_t syms[2][kLevels] = {};
  BYTE vk = 0;
};

class Builder {
 public:
  explicit Builder(xkb_keymap* keymap) : keymap(keymap) {}

  void ReadKeys();
  void AssignVirtualKeys();
  Layout* Make() const;

 private:
  xkb_mod_mask_t Mask(const char* name) const;
  xkb_mod_mask_t LevelThree() const;
  static WCHAR Character(xkb_keysym_t sym);
  void Take(XkbKey& key, BYTE vk);
  void AddCompositions(Layout& layout) const;

  xkb_keymap* keymap;
  std::vector<XkbKey> keys;
  bool taken[256] = {};
};

xkb_mod_mask_t Builder::Mask(const char* name) const {
  xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, name);
  return index == XKB_MOD_INVALID ? 0 : 1u << index;
}

// The modifiers that the first key typing ISO_Level3_Shift sets: AltGr.
xkb_mod_mask_t Builder::LevelThree() const {
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

void Builder::ReadKeys() {
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

WCHAR Builder::Character(xkb_keysym_t sym) {
  if (IsDead(sym)) return DeadCharacter(sym);
  uint32_t ch = xkb_keysym_to_utf32(sym);
  return ch >= 0x20 && ch <= 0xFFFF ? static_cast<WCHAR>(ch) : 0;
}

void Builder::Take(XkbKey& key, BYTE vk) {
  key.vk = vk;
  taken[vk] = true;
}

// Letters by their letter, the digit row by its digits, then , . - + by their
// OEM keys, then the US layout's key of the position, then a spare OEM key.
void Builder::AssignVirtualKeys() {
  for (XkbKey& key : keys) {
    WCHAR ch = Character(key.syms[0][kNormal]);
    BYTE upper = static_cast<BYTE>(ch - 'a' + 'A');
    if (ch >= 'a' && ch <= 'z' && !taken[upper]) Take(key, upper);
  }
  for (XkbKey& key : keys) {
    BYTE scan = key.position.scan;
    BYTE digit = static_cast<BYTE>(scan == 0x0B ? '0' : '1' + scan - 0x02);
    if (!key.vk && scan >= 0x02 && scan <= 0x0B && !taken[digit]) Take(key, digit);
  }
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
  for (XkbKey& key : keys) {
    if (!key.vk && key.position.usVk && !taken[key.position.usVk]) Take(key, key.position.usVk);
    for (BYTE spare : kSpareOemVks) {
      if (!key.vk && !taken[spare]) Take(key, spare);
    }
  }
}

Layout* Builder::Make() const {
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

// Each dead keysym of the layout followed by each character the layout types.
void Builder::AddCompositions(Layout& layout) const {
  xkb_compose_table* table = ComposeTable();
  if (!table) return;
  xkb_compose_state* state = xkb_compose_state_new(table, XKB_COMPOSE_STATE_NO_FLAGS);
  for (const XkbKey& deadKey : keys) {
    for (xkb_keysym_t dead : deadKey.syms[0]) {
      if (!IsDead(dead)) continue;
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
  }
  xkb_compose_state_unref(state);
}

}  // namespace

HKL XkbLayoutLoader::Load(const char* layout, const char* variant) {
  static auto* loaded = new std::map<std::string, HKL>();  // never destroyed
  if (!layout || !Context()) return nullptr;
  std::string name = std::string(layout) + "(" + (variant ? variant : "") + ")";
  auto found = loaded->find(name);
  if (found != loaded->end()) return found->second;
  xkb_rule_names names = {"evdev", "pc105", layout, variant ? variant : "", ""};
  xkb_keymap* keymap = xkb_keymap_new_from_names(Context(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
  HKL handle = nullptr;
  if (keymap) {
    Builder builder(keymap);
    builder.ReadKeys();
    builder.AssignVirtualKeys();
    handle = Layout::Install(builder.Make());
    xkb_keymap_unref(keymap);
  }
  (*loaded)[name] = handle;
  return handle;
}

HKL XkbLayout(const char* layout, const char* variant) {
  return XkbLayoutLoader::Load(layout, variant);
}

}  // namespace fake
