// Hand-made copies of Windows layouts: KBDUS, KBDUSX, KBDFR and KBDGR from their
// layout tables, Belgian (Period), Swiss French and Canadian Multilingual
// Standard from their documented key charts (characters per key and level, Caps
// Lock, dead keys and their compositions). Each key is as Windows defines it:
// Caps Lock acts like Shift on a CAPLOK key (on KBDFR, the digit row too) and
// leaves the others alone.
#include "WindowsLayouts.h"

#include "FakeWindows.h"
#include "Layout.h"

namespace fake {

const HKL kUnitedStates = reinterpret_cast<HKL>(0x04090409);
const HKL kFrench = reinterpret_cast<HKL>(0x040C040C);
const HKL kGerman = reinterpret_cast<HKL>(0x04070407);
const HKL kUnitedStatesInternational = reinterpret_cast<HKL>(0xF0010409);
const HKL kBelgianPeriod = reinterpret_cast<HKL>(0x0813080C);
const HKL kSwissFrench = reinterpret_cast<HKL>(0x100C100C);
const HKL kCanadianMultilingual = reinterpret_cast<HKL>(0xF0201009);

namespace {

// Dead-key levels.
const BYTE N = 1 << kNormal, S = 1 << kShift, A = 1 << kAltGr, SA = 1 << kShiftAltGr;
const bool kCapLok = true;

// One key as a layout table gives it: characters without modifier, with Shift,
// AltGr and Shift+AltGr (0 = none), its dead levels, and whether Caps Lock acts
// like Shift on it.
struct Row {
  BYTE scan;
  BYTE vk;
  WCHAR chars[kLevels];
  BYTE dead;
  bool capLok;
};

using Rows = std::vector<Row>;

void AddLetters(Rows& rows, BYTE firstScan, const char* letters) {
  for (BYTE i = 0; letters[i]; ++i) {
    WCHAR lower = static_cast<WCHAR>(letters[i]);
    WCHAR upper = static_cast<WCHAR>(lower - 'a' + 'A');
    rows.push_back(
        {static_cast<BYTE>(firstScan + i), static_cast<BYTE>(upper), {lower, upper}, 0, kCapLok});
  }
}

// The digit row: each digit with its other level, the digit first or second.
void AddDigits(Rows& rows, const wchar_t* others, bool digitShifted, bool capLok) {
  for (BYTE i = 0; i < 10; ++i) {
    WCHAR digit = static_cast<WCHAR>(i == 9 ? '0' : '1' + i);
    Row row = {
        static_cast<BYTE>(0x02 + i), static_cast<BYTE>(digit), {digit, others[i]}, 0, capLok};
    if (digitShifted) {
      row.chars[kNormal] = others[i];
      row.chars[kShift] = digit;
    }
    rows.push_back(row);
  }
}

Row* Find(Rows& rows, BYTE vk) {
  for (Row& row : rows) {
    if (row.vk == vk) return &row;
  }
  return nullptr;
}

void SetLevel(Rows& rows, BYTE vk, int level, WCHAR ch, bool dead = false) {
  Row* row = Find(rows, vk);
  row->chars[level] = ch;
  if (dead) row->dead = static_cast<BYTE>(row->dead | 1 << level);
}

// AltGr characters as pairs of virtual key and character.
void SetAltGr(Rows& rows, const std::vector<std::pair<BYTE, WCHAR>>& pairs) {
  for (const auto& pair : pairs) SetLevel(rows, pair.first, kAltGr, pair.second);
}

// Caps Lock on a CAPLOK key swaps the no-modifier and Shift levels.
void Install(HKL handle, const Rows& rows, const std::vector<const wchar_t*>& compositions) {
  Layout* layout = new Layout();
  for (const Row& row : rows) {
    LayoutKey key;
    key.scan = row.scan;
    key.vk = row.vk;
    for (int level = 0; level < kLevels; ++level) {
      int locked = row.capLok && level <= kShift ? level ^ 1 : level;
      key.chars[0][level] = row.chars[level];
      key.chars[1][level] = row.chars[locked];
      key.dead[0] = static_cast<BYTE>(key.dead[0] | (row.dead & 1 << level));
      key.dead[1] = static_cast<BYTE>(key.dead[1] | ((row.dead >> locked) & 1) << level);
    }
    layout->Add(key);
  }
  // Each composition list: the accent, then pairs of next character and result.
  for (const wchar_t* list : compositions) {
    for (const wchar_t* p = list + 1; p[0] && p[1]; p += 2)
      layout->AddComposition(list[0], p[0], p[1]);
  }
  Layout::Install(handle, layout);
}

const wchar_t kGraveVowels[] = L"`aàeèiìoòuùAÀEÈIÌOÒUÙ";
const wchar_t kAcuteVowels[] = L"´aáeéiíoóuúyýAÁEÉIÍOÓUÚYÝ";
const wchar_t kCircumflexVowels[] = L"^aâeêiîoôuûAÂEÊIÎOÔUÛ";
const wchar_t kDiaeresisVowels[] = L"¨aäeëiïoöuüyÿAÄEËIÏOÖUÜ";
const wchar_t kTildeLetters[] = L"~aãAÃnñNÑoõOÕ";

Rows UnitedStates() {
  Rows rows = {{0x29, 0xC0, {'`', '~'}, 0, false}};
  AddDigits(rows, L"!@#$%^&*()", false, false);
  Rows rest = {{0x0C, 0xBD, {'-', '_'}, 0, false},  {0x0D, 0xBB, {'=', '+'}, 0, false},
               {0x1A, 0xDB, {'[', '{'}, 0, false},  {0x1B, 0xDD, {']', '}'}, 0, false},
               {0x2B, 0xDC, {'\\', '|'}, 0, false}, {0x27, 0xBA, {';', ':'}, 0, false},
               {0x28, 0xDE, {'\'', '"'}, 0, false}, {0x33, 0xBC, {',', '<'}, 0, false},
               {0x34, 0xBE, {'.', '>'}, 0, false},  {0x35, 0xBF, {'/', '?'}, 0, false}};
  rows.insert(rows.end(), rest.begin(), rest.end());
  AddLetters(rows, 0x10, "qwertyuiop");
  AddLetters(rows, 0x1E, "asdfghjkl");
  AddLetters(rows, 0x2C, "zxcvbnm");
  return rows;
}

// US-International: ` ' " ~ ^ are dead keys (the apostrophe key's dead
// characters are ' and ", which accent the next letter acute and diaeresis), and
// AltGr gives Latin-1 letters and signs; its Shift+AltGr level is not modelled.
Rows UnitedStatesInternational() {
  Rows rows = UnitedStates();
  Find(rows, 0xC0)->dead = N | S;
  *Find(rows, 0xDE) = {0x28, 0xDE, {'\'', '"', 0xB4}, N | S, false};
  SetLevel(rows, '6', kShift, '^', true);
  SetAltGr(rows,
           {{'1', 0xA1},  {'2', 0xB2},  {'3', 0xB3},   {'4', 0xA4},   {'5', 0x20AC}, {'6', 0xBC},
            {'7', 0xBD},  {'8', 0xBE},  {'9', 0x2018}, {'0', 0x2019}, {'Q', 0xE4},   {'W', 0xE5},
            {'E', 0xE9},  {'R', 0xAE},  {'T', 0xFE},   {'Y', 0xFC},   {'U', 0xFA},   {'I', 0xED},
            {'O', 0xF3},  {'P', 0xF6},  {'A', 0xE1},   {'S', 0xDF},   {'D', 0xF0},   {'L', 0xF8},
            {'Z', 0xE6},  {'C', 0xA9},  {'N', 0xF1},   {'M', 0xB5},   {0xBD, 0xA5},  {0xBB, 0xD7},
            {0xDB, 0xAB}, {0xDD, 0xBB}, {0xBA, 0xB6},  {0xBC, 0xE7},  {0xBF, 0xBF},  {0xDC, 0xAC}});
  return rows;
}

Rows German() {
  Rows rows = {{0x29, 0xDC, {'^', 0xB0}, N, false}};
  AddDigits(rows, L"!\"§$%&/()=", false, kCapLok);
  Rows rest = {
      {0x0C, 0xDB, {0xDF, '?', '\\'}, 0, kCapLok}, {0x0D, 0xDD, {0xB4, '`'}, N | S, false},
      {0x1A, 0xBA, {0xFC, 0xDC}, 0, kCapLok},      {0x1B, 0xBB, {'+', '*', '~'}, 0, kCapLok},
      {0x27, 0xC0, {0xF6, 0xD6}, 0, kCapLok},      {0x28, 0xDE, {0xE4, 0xC4}, 0, kCapLok},
      {0x2B, 0xBF, {'#', '\''}, 0, kCapLok},       {0x56, 0xE2, {'<', '>', '|'}, 0, false},
      {0x33, 0xBC, {',', ';'}, 0, kCapLok},        {0x34, 0xBE, {'.', ':'}, 0, kCapLok},
      {0x35, 0xBD, {'-', '_'}, 0, false}};
  rows.insert(rows.end(), rest.begin(), rest.end());
  AddLetters(rows, 0x10, "qwertzuiop");
  AddLetters(rows, 0x1E, "asdfghjkl");
  AddLetters(rows, 0x2C, "yxcvbnm");
  SetAltGr(rows, {{'2', 0xB2},
                  {'3', 0xB3},
                  {'7', '{'},
                  {'8', '['},
                  {'9', ']'},
                  {'0', '}'},
                  {'Q', '@'},
                  {'E', 0x20AC},
                  {'M', 0xB5}});
  return rows;
}

Rows French() {
  Rows rows = {{0x29, 0xDE, {0xB2}, 0, false}};
  AddDigits(rows, L"&é\"'(-è_çà", true, kCapLok);
  Rows rest = {
      {0x0C, 0xDB, {')', 0xB0, ']'}, 0, kCapLok}, {0x0D, 0xBB, {'=', '+', '}'}, 0, kCapLok},
      {0x1A, 0xDD, {'^', 0xA8}, N | S, kCapLok},  {0x1B, 0xBA, {'$', 0xA3, 0xA4}, 0, kCapLok},
      {0x28, 0xC0, {0xF9, '%'}, 0, kCapLok},      {0x2B, 0xDC, {'*', 0xB5}, 0, kCapLok},
      {0x56, 0xE2, {'<', '>'}, 0, false},         {0x32, 0xBC, {',', '?'}, 0, kCapLok},
      {0x33, 0xBE, {';', '.'}, 0, kCapLok},       {0x34, 0xBF, {':', '/'}, 0, kCapLok},
      {0x35, 0xDF, {'!', 0xA7}, 0, kCapLok}};
  rows.insert(rows.end(), rest.begin(), rest.end());
  AddLetters(rows, 0x10, "azertyuiop");
  AddLetters(rows, 0x1E, "qsdfghjklm");
  AddLetters(rows, 0x2C, "wxcvbn");
  SetLevel(rows, '2', kAltGr, '~', true);
  SetLevel(rows, '7', kAltGr, '`', true);
  SetAltGr(rows, {{'3', '#'},
                  {'4', '{'},
                  {'5', '['},
                  {'6', '|'},
                  {'8', '\\'},
                  {'9', '^'},
                  {'0', '@'},
                  {'E', 0x20AC}});
  return rows;
}

// Belgian (Period): AZERTY whose AltGr accents ´ ` ~ are dead on AltGr and
// Shift+AltGr alike.
Rows BelgianPeriod() {
  Rows rows = {{0x29, 0xDE, {0xB2, 0xB3}, 0, false}};
  AddDigits(rows, L"&é\"'(§è!çà", true, kCapLok);
  Rows rest = {{0x0C, 0xDB, {')', 0xB0}, 0, kCapLok},
               {0x0D, 0xBD, {'-', '_'}, 0, kCapLok},
               {0x1A, 0xDD, {'^', 0xA8, '['}, N | S, kCapLok},
               {0x1B, 0xBA, {'$', '*', ']'}, 0, kCapLok},
               {0x28, 0xC0, {0xF9, '%', 0xB4, 0xB4}, A | SA, kCapLok},
               {0x2B, 0xDC, {0xB5, 0xA3, '`', '`'}, A | SA, kCapLok},
               {0x56, 0xE2, {'<', '>', '\\'}, 0, false},
               {0x32, 0xBC, {',', '?'}, 0, kCapLok},
               {0x33, 0xBE, {';', '.'}, 0, kCapLok},
               {0x34, 0xBF, {':', '/'}, 0, kCapLok},
               {0x35, 0xBB, {'=', '+', '~', '~'}, A | SA, kCapLok}};
  rows.insert(rows.end(), rest.begin(), rest.end());
  AddLetters(rows, 0x10, "azertyuiop");
  AddLetters(rows, 0x1E, "qsdfghjklm");
  AddLetters(rows, 0x2C, "wxcvbn");
  SetAltGr(rows, {{'1', '|'},
                  {'2', '@'},
                  {'3', '#'},
                  {'4', '{'},
                  {'5', '['},
                  {'6', '^'},
                  {'9', '{'},
                  {'0', '}'},
                  {'E', 0x20AC}});
  return rows;
}

// Swiss French: QWERTZ; Caps Lock affects the letters only; the dead diaeresis
// followed by a space types a quotation mark.
Rows SwissFrench() {
  Rows rows = {{0x29, 0xBF, {0xA7, 0xB0}, 0, false}};
  AddDigits(rows, L"+\"*ç%&/()=", false, false);
  Rows rest = {
      {0x0C, 0xDB, {'\'', '?', 0xB4}, A, false}, {0x0D, 0xDD, {'^', '`', '~'}, N | S | A, false},
      {0x1A, 0xBA, {0xE8, 0xFC, '['}, 0, false}, {0x1B, 0xC0, {0xA8, '!', ']'}, N, false},
      {0x27, 0xDE, {0xE9, 0xF6}, 0, false},      {0x28, 0xDC, {0xE0, 0xE4, '{'}, 0, false},
      {0x2B, 0xDF, {'$', 0xA3, '}'}, 0, false},  {0x56, 0xE2, {'<', '>', '\\'}, 0, false},
      {0x33, 0xBC, {',', ';'}, 0, false},        {0x34, 0xBE, {'.', ':'}, 0, false},
      {0x35, 0xBD, {'-', '_'}, 0, false}};
  rows.insert(rows.end(), rest.begin(), rest.end());
  AddLetters(rows, 0x10, "qwertzuiop");
  AddLetters(rows, 0x1E, "asdfghjkl");
  AddLetters(rows, 0x2C, "yxcvbnm");
  SetAltGr(rows, {{'1', 0xA6},
                  {'2', '@'},
                  {'3', '#'},
                  {'4', 0xB0},
                  {'5', 0xA7},
                  {'6', 0xAC},
                  {'7', '|'},
                  {'8', 0xA2},
                  {'E', 0x20AC}});
  return rows;
}

// Canadian Multilingual Standard, its first group (the second, on Right Ctrl,
// is not modelled): the accented letters' keys follow Caps Lock, the digits not.
Rows CanadianMultilingual() {
  Rows rows = {{0x29, 0xC0, {'/', '\\', '|'}, 0, false}};
  AddDigits(rows, L"!@#$%?&*()", false, false);
  Rows rest = {{0x0C, 0xBD, {'-', '_'}, 0, false},
               {0x0D, 0xBB, {'=', '+', 0xAC}, 0, false},
               {0x1A, 0xDB, {'^', 0xA8, '`'}, N | S | A, false},
               {0x1B, 0xDD, {0xE7, 0xC7, '~'}, A, kCapLok},
               {0x27, 0xBA, {';', ':', 0xB0}, 0, false},
               {0x28, 0xDE, {0xE8, 0xC8}, 0, kCapLok},
               {0x2B, 0xDC, {0xE0, 0xC0}, 0, kCapLok},
               {0x56, 0xE2, {0xF9, 0xD9}, 0, kCapLok},
               {0x33, 0xBC, {',', '\'', '<'}, 0, false},
               {0x34, 0xBE, {'.', '"', '>'}, 0, false},
               {0x35, 0xBF, {0xE9, 0xC9}, 0, kCapLok}};
  rows.insert(rows.end(), rest.begin(), rest.end());
  AddLetters(rows, 0x10, "qwertyuiop");
  AddLetters(rows, 0x1E, "asdfghjkl");
  AddLetters(rows, 0x2C, "zxcvbnm");
  SetAltGr(rows, {{'4', 0xA4},
                  {'7', '{'},
                  {'8', '}'},
                  {'9', '['},
                  {'0', ']'},
                  {'E', 0x20AC},
                  {'Z', 0xAB},
                  {'X', 0xBB}});
  return rows;
}

}  // namespace

void WindowsLayouts::InstallOnce() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  Install(kUnitedStates, UnitedStates(), {});
  Install(kUnitedStatesInternational, UnitedStatesInternational(),
          {L"`aàeèiìoòuùAÀEÈIÌOÒUÙ", L"'aáeéiíoóuúyýcçAÁEÉIÍOÓUÚYÝCÇ", L"\"aäeëiïoöuüyÿAÄEËIÏOÖUÜ",
           kTildeLetters, kCircumflexVowels});
  Install(kGerman, German(), {kCircumflexVowels, kAcuteVowels, kGraveVowels});
  Install(kFrench, French(), {kCircumflexVowels, kDiaeresisVowels, kTildeLetters, kGraveVowels});
  Install(kBelgianPeriod, BelgianPeriod(),
          {kGraveVowels, kAcuteVowels, kCircumflexVowels, kDiaeresisVowels, kTildeLetters});
  Install(
      kSwissFrench, SwissFrench(),
      {kGraveVowels, kAcuteVowels, kCircumflexVowels, kDiaeresisVowels, L"¨ \"", kTildeLetters});
  Install(kCanadianMultilingual, CanadianMultilingual(),
          {kGraveVowels, kCircumflexVowels, L"¨aäeëiïoöuüyÿAÄEËIÏOÖUÜYŸ", kTildeLetters});
}

}  // namespace fake
