#include <ctype.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <set>

#include "../../src/driver/keys/Keyboard.h"
#include "../../src/selftest/SampleSentences.h"
#include "FakeWindows.h"

using Calls = std::vector<std::string>;
using fake::KeyDown;
using fake::KeyUp;
using fake::UnicodeDown;
using fake::UnicodeUp;

namespace {

// Modifier keys with their scan codes, the same on every layout.
const std::string kShiftDown = KeyDown(0x10, 0x2A), kShiftUp = KeyUp(0x10, 0x2A);
const std::string kCtrlDown = KeyDown(0x11, 0x1D), kCtrlUp = KeyUp(0x11, 0x1D);
const std::string kAltDown = KeyDown(0x12, 0x38), kAltUp = KeyUp(0x12, 0x38);

Calls Events() {
  return fake::Calls({"keybd_event", "SendInput"});
}

const int kHandMadeLayoutCount = 7;
const std::pair<const char*, HKL> kHandMadeLayouts[kHandMadeLayoutCount] = {
    {"US", fake::kUnitedStates},
    {"US-International", fake::kUnitedStatesInternational},
    {"French", fake::kFrench},
    {"German", fake::kGerman},
    {"Belgian (Period)", fake::kBelgianPeriod},
    {"Swiss French", fake::kSwissFrench},
    {"Canadian Multilingual", fake::kCanadianMultilingual}};

// A session on a fresh stand-in: the display let go of its keys, so that the
// settings are read again at the first character.
void NewSession() {
  Keyboard::EndSession();
  fake::Reset();
}

// Press and release of one character, as the display sends them.
struct Case {
  const char* name;
  unsigned char ch;
  Calls press;
  Calls release;
};

// Lock states by number: Caps Lock off; on; on where Shift turns it off.
const int kLockStates = 3;

// Each case in a session of its own.
void Check(HKL layout, const std::vector<Case>& cases, int lockState = 0) {
  for (const Case& c : cases) {
    NewSession();
    fake::SetForegroundLayout(layout);
    fake::SetCapsLock(lockState > 0);
    fake::SetShiftClearsCapsLock(lockState == 2);
    Keyboard::TypeCharacter(c.ch, 1);
    EXPECT_EQ(c.press, Events()) << c.name << " pressed";
    fake::win().calls.clear();
    Keyboard::TypeCharacter(c.ch, 0);
    EXPECT_EQ(c.release, Events()) << c.name << " released";
  }
}

TEST(KeyboardTest, UnitedStates) {
  Check(
      fake::kUnitedStates,
      {
          {"letter", 'a', {KeyDown(0x41, 0x1E)}, {KeyUp(0x41, 0x1E)}},
          {"capital", 'A', {kShiftDown, KeyDown(0x41, 0x1E)}, {KeyUp(0x41, 0x1E), kShiftUp}},
          {"digit", '1', {KeyDown(0x31, 0x02)}, {KeyUp(0x31, 0x02)}},
          {"shifted symbol", '?', {kShiftDown, KeyDown(0xBF, 0x35)}, {KeyUp(0xBF, 0x35), kShiftUp}},
          {"shifted digit", '@', {kShiftDown, KeyDown(0x32, 0x03)}, {KeyUp(0x32, 0x03), kShiftUp}},
          {"enter", '\r', {KeyDown(0x0D, 0x1C)}, {KeyUp(0x0D, 0x1C)}},
          {"DEL by Ctrl+Backspace",
           0x7F,
           {kCtrlDown, KeyDown(0x08, 0x0E)},
           {KeyUp(0x08, 0x0E), kCtrlUp}},
          {"no euro key", 0x80, {UnicodeDown(0x20AC)}, {UnicodeUp(0x20AC)}},
          {"no acute dead key", 0xE9, {UnicodeDown(0xE9)}, {UnicodeUp(0xE9)}},
      });
}

// Event order where the text alone cannot tell: an accent's modifiers come up
// before the letter's go down, so "Noël" is not "NoËl".
TEST(KeyboardTest, FrenchAzerty) {
  const std::string eDown = KeyDown(0x45, 0x12), eUp = KeyUp(0x45, 0x12);
  const std::string hatDown = KeyDown(0xDD, 0x1A), hatUp = KeyUp(0xDD, 0x1A);
  Check(fake::kFrench,
        {
            {"capital", 'Q', {kShiftDown, KeyDown(0x51, 0x1E)}, {KeyUp(0x51, 0x1E), kShiftUp}},
            {"AltGr euro", 0x80, {kCtrlDown, kAltDown, eDown}, {eUp, kAltUp, kCtrlUp}},
            {"e acute by its own key", 0xE9, {KeyDown(0x32, 0x03)}, {KeyUp(0x32, 0x03)}},
            {"capital circumflex", 0xCA, {hatDown, hatUp, kShiftDown, eDown}, {eUp, kShiftUp}},
            {"diaeresis needs Shift, the letter not",
             0xEB,
             {kShiftDown, hatDown, hatUp, kShiftUp, eDown},
             {eUp}},
            {"grave on AltGr",
             0xE8,
             {kCtrlDown, kAltDown, KeyDown(0x37, 0x08), KeyUp(0x37, 0x08), kAltUp, kCtrlUp, eDown},
             {eUp}},
            {"capital E acute", 0xC9, {UnicodeDown(0xC9)}, {UnicodeUp(0xC9)}},
        });
}

TEST(KeyboardTest, GermanQwertz) {
  const std::string eDown = KeyDown(0x45, 0x12), eUp = KeyUp(0x45, 0x12);
  const std::string acuteDown = KeyDown(0xDD, 0x0D), acuteUp = KeyUp(0xDD, 0x0D);
  Check(fake::kGerman,
        {
            {"z swapped", 'z', {KeyDown(0x5A, 0x15)}, {KeyUp(0x5A, 0x15)}},
            {"AltGr at",
             '@',
             {kCtrlDown, kAltDown, KeyDown(0x51, 0x10)},
             {KeyUp(0x51, 0x10), kAltUp, kCtrlUp}},
            {"acute dead key", 0xE9, {acuteDown, acuteUp, eDown}, {eUp}},
            {"grave is shifted acute",
             0xE8,
             {kShiftDown, acuteDown, acuteUp, kShiftUp, eDown},
             {eUp}},
            {"umlaut by its own key", 0xE4, {KeyDown(0xDE, 0x28)}, {KeyUp(0xDE, 0x28)}},
        });
}

// US-International: the apostrophe key is a dead key for ', whose acute letters
// AltGr also gives directly; AltGr+' is a plain acute accent, not a dead key.
TEST(KeyboardTest, UnitedStatesInternational) {
  const std::string eDown = KeyDown(0x45, 0x12), eUp = KeyUp(0x45, 0x12);
  Check(fake::kUnitedStatesInternational,
        {
            {"e acute by AltGr+e", 0xE9, {kCtrlDown, kAltDown, eDown}, {eUp, kAltUp, kCtrlUp}},
            {"capital by Shift+AltGr+e, Shift last down and first up",
             0xC9,
             {kCtrlDown, kAltDown, kShiftDown, eDown},
             {eUp, kShiftUp, kAltUp, kCtrlUp}},
            {"circumflex on Shift+6",
             0xEA,
             {kShiftDown, KeyDown(0x36, 0x07), KeyUp(0x36, 0x07), kShiftUp, eDown},
             {eUp}},
        });
}

// With Caps Lock on, each key is struck as it types the character with Caps Lock
// as it is, Caps Lock left alone. Where Shift turns Caps Lock off, no key is
// struck with Shift: on AZERTY the digit row's plain level is then the digit, so
// é, which needs Shift, goes as Unicode input, as does a small letter; a capital is
// a plain key. Where it does not, Shift is pressed as with Caps Lock off.
TEST(KeyboardTest, CapsLockOnFrench) {
  const std::string twoDown = KeyDown(0x32, 0x03), twoUp = KeyUp(0x32, 0x03);
  const std::string eDown = KeyDown(0x45, 0x12), eUp = KeyUp(0x45, 0x12);
  const std::string hatDown = KeyDown(0xDD, 0x1A), hatUp = KeyUp(0xDD, 0x1A);
  const std::string graveDown = KeyDown(0xDD, 0x0D), graveUp = KeyUp(0xDD, 0x0D);
  Check(fake::kFrench,
        {
            {"e acute", 0xE9, {UnicodeDown(0xE9)}, {UnicodeUp(0xE9)}},
            {"two", '2', {twoDown}, {twoUp}},
            {"capital", 'E', {eDown}, {eUp}},
            {"small", 'e', {UnicodeDown('e')}, {UnicodeUp('e')}},
            {"AltGr euro", 0x80, {kCtrlDown, kAltDown, eDown}, {eUp, kAltUp, kCtrlUp}},
            {"capital diaeresis: Caps Lock shifts its dead key",
             0xCB,
             {hatDown, hatUp, eDown},
             {eUp}},
        },
        2);
  Check(fake::kFrench,
        {
            {"e acute with Shift", 0xE9, {kShiftDown, twoDown}, {twoUp, kShiftUp}},
            {"small with Shift", 'e', {kShiftDown, eDown}, {eUp, kShiftUp}},
        },
        1);
  Check(fake::kSwissFrench,
        {{"capital by its small letter's key (SGCAPS)",
          0xC8,
          {KeyDown(0xBA, 0x1A)},
          {KeyUp(0xBA, 0x1A)}}},
        2);
  Check(fake::kSwissFrench,
        {{"capital through the grave dead key, with Shift",
          0xC8,
          {kShiftDown, graveDown, graveUp, kShiftUp, eDown},
          {eUp}}},
        1);
}

// A Shift+AltGr character: AltGr (Ctrl, Alt) down before Shift and up after it,
// so that Ctrl+Shift or Alt+Shift, input-language hotkeys, are never held alone.
TEST(KeyboardTest, ShiftAltGrLevel) {
  const std::string qDown = KeyDown(0x51, 0x1E), qUp = KeyUp(0x51, 0x1E);
  Check(fake::XkbLayout("be", ""), {
                                       {"AE ligature",
                                        0xC6,
                                        {kCtrlDown, kAltDown, kShiftDown, qDown},
                                        {qUp, kShiftUp, kAltUp, kCtrlUp}},
                                   });
}

// What typing the text on layouts showed: counts, and the first few failures.
struct TextProof {
  int characters = 0;
  int sentences = 0;
  int failures = 0;
  bool windows7 = false;  // typed as before Windows 10 1607: layouts only looked up
  int byKey = 0;          // single characters with Caps Lock off, by their keys
  int byUnicode = 0;      // and as Unicode input
  std::string examples;
};

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), 0);
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                      static_cast<int>(wide.size()));
  return wide;
}

// The most key events one character costs: a dead key and a letter, each with
// Shift and AltGr, down and up.
const size_t kMostKeyEvents = 16;

// Whether the key events from first on typed ch by keys alone, at most
// kMostKeyEvents of them, or as its own Unicode press and release; and each
// event pressed a key that was up or released one that was down.
bool ByKeysOrAsItself(size_t first, WCHAR ch) {
  const std::vector<fake::KeyInput>& keys = fake::win().keyInputs;
  std::set<std::pair<unsigned, unsigned>> held;
  bool unicode = false;
  for (size_t i = first; i < keys.size(); ++i) {
    std::pair<unsigned, unsigned> key = {keys[i].vk, keys[i].scan};
    if (keys[i].down ? !held.insert(key).second : !held.erase(key)) return false;
    unicode = unicode || keys[i].unicode;
  }
  size_t count = keys.size() - first;
  if (!unicode) return count <= kMostKeyEvents;
  return count == 2 && keys[first].unicode == ch;
}

// The characters one key types on the layout in a lock state, as ToUnicodeEx
// answers: with no modifier, Shift, AltGr (Ctrl+Alt) or Shift+AltGr, not as a
// dead key, and Caps Lock left as it was, so with no Shift where Shift turns it
// off. As Windows 7, only Space and, with Caps Lock off, the ASCII letters and
// digits of the plain and Shift levels off the numeric keypad.
std::set<WCHAR> TypedByOneKey(HKL layout, int lockState, bool windows7) {
  NewSession();  // Windows 10, no dead key pending: flag 4 keeps the state
  std::set<WCHAR> typed;
  for (BYTE shift : {0, 0x80}) {
    for (BYTE altGr : {0, 0x80}) {
      if ((shift && lockState == 2) || (altGr && windows7)) continue;
      BYTE state[256] = {};
      state[VK_CAPITAL] = lockState > 0;
      state[VK_SHIFT] = shift;
      state[VK_CONTROL] = state[VK_MENU] = altGr;
      for (UINT vk = 1; vk < 0xFF; ++vk) {
        WCHAR ch[2];
        bool keypad = vk >= VK_NUMPAD0 && vk <= VK_DIVIDE;
        if (ToUnicodeEx(vk, 0, state, ch, 2, 4, layout) == 1 && !(windows7 && keypad)) {
          typed.insert(ch[0]);
        }
      }
    }
  }
  if (!windows7) return typed;
  std::set<WCHAR> promised = {' '};
  for (WCHAR ch : typed) {
    if (lockState == 0 && ch < 0x80 && isalnum(ch)) promised.insert(ch);
  }
  return promised;
}

// Types text on the foreground layout in a lock state: it arrives as exactly
// itself, no key stays down, no dead key is pending, Caps Lock is as it was, and
// each character goes by keys alone, at bounded cost and with no event wasted,
// or as itself; a single character one key types, never as Unicode input.
void Check(const std::string& name, HKL layout, int lockState, const std::string& text,
           const std::set<WCHAR>& byOneKey, TextProof& proof) {
  bool capsLock = lockState > 0;
  NewSession();
  if (proof.windows7) {
    fake::win().versionMajor = 6;
    fake::win().versionMinor = 1;
    fake::win().versionBuild = 7601;
  }
  fake::SetForegroundLayout(layout);
  fake::SetCapsLock(capsLock);
  fake::SetShiftClearsCapsLock(lockState == 2);
  const fake::Windows& w = fake::win();
  const std::wstring wide = Wide(text);
  bool bounded = true, unicode = false;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t first = w.keyInputs.size();
    Keyboard::TypeCharacter(static_cast<unsigned char>(text[i]), 1);
    Keyboard::TypeCharacter(static_cast<unsigned char>(text[i]), 0);
    bounded = bounded && ByKeysOrAsItself(first, wide[i]);
  }
  for (const fake::KeyInput& key : w.keyInputs) unicode = unicode || key.unicode;
  if (text.size() == 1 && lockState == 0) ++(unicode ? proof.byUnicode : proof.byKey);
  bool keyMissed = unicode && text.size() == 1 && byOneKey.count(wide[0]);
  if (w.typed == wide && w.keysDown.empty() && !w.pendingDead && w.capsLock == capsLock &&
      bounded && !keyMissed) {
    return;
  }
  if (++proof.failures > 5) return;
  std::string arrived;
  for (wchar_t typed : w.typed) arrived += typed < 0x100 ? std::string(1, char(typed)) : "?";
  char line[256];
  const char* locks[kLockStates] = {"", " with Caps Lock", " with Caps Lock cleared by Shift"};
  snprintf(line, sizeof line, "%s%s: \"%s\" arrived as \"%s\"%s%s%s%s\n", name.c_str(),
           locks[lockState], text.c_str(), arrived.c_str(),
           w.capsLock == capsLock ? "" : ", Caps Lock changed",
           w.keysDown.empty() && !w.pendingDead ? "" : ", a key left down or pending",
           bounded ? "" : ", not by keys alone at bounded cost nor as itself, or an event wasted",
           keyMissed ? ", as Unicode input though one key types it" : "");
  proof.examples += line;
}

// Every character 0x20-0xFF of Windows-1252 and the sentences, in every lock state.
void TypeEverything(const std::string& name, HKL layout, TextProof& proof) {
  for (int lockState = 0; lockState < kLockStates; ++lockState) {
    std::set<WCHAR> byOneKey = TypedByOneKey(layout, lockState, proof.windows7);
    for (int ch = 0x20; ch < 0x100; ++ch) {
      Check(name, layout, lockState, std::string(1, static_cast<char>(ch)), byOneKey, proof);
      ++proof.characters;
    }
    for (const std::string& sentence : SampleSentences::Texts()) {
      Check(name, layout, lockState, sentence, byOneKey, proof);
      ++proof.sentences;
    }
  }
}

// Every layout typed on as Windows 10 and as Windows 7: no wrong character on
// either, and how many went by key.
template <typename Layouts>
void TypeOnEveryLayout(const char* what, const Layouts& layouts) {
  for (bool windows7 : {false, true}) {
    TextProof proof;
    proof.windows7 = windows7;
    for (const auto& [name, layout] : layouts) TypeEverything(name, layout, proof);
    const char* version = windows7 ? "Windows 7" : "Windows 10";
    printf(
        "%s, %s: %d characters and %d sentences in %d lock states; %d failures; with Caps "
        "Lock off %d characters by key, %d as Unicode input\n",
        what, version, proof.characters, proof.sentences, kLockStates, proof.failures, proof.byKey,
        proof.byUnicode);
    EXPECT_EQ(0, proof.failures) << version << "\n" << proof.examples;
  }
}

TEST(KeyboardTest, EveryCharacterArrivesAsItselfOnEveryHandMadeLayout) {
  TypeOnEveryLayout("Hand-made layouts", kHandMadeLayouts);
}

// The layouts of the XKB database listed in tests/layouts/xkb-latin.txt.
TEST(KeyboardTest, EveryCharacterArrivesAsItselfOnEveryXkbLayout) {
  std::string list = __FILE__;
  list.replace(list.rfind("unit/"), std::string::npos, "layouts/xkb-latin.txt");
  FILE* file = fopen(list.c_str(), "r");
  ASSERT_NE(nullptr, file) << list;
  std::vector<std::pair<std::string, HKL>> compiled;
  std::string skipped;
  char line[256], layout[64], variant[64];
  while (fgets(line, sizeof line, file)) {
    if (line[0] < 'a' || line[0] > 'z') continue;
    if (sscanf(line, "%63[a-z0-9_-](%63[^)])", layout, variant) < 1) continue;
    if (!strchr(line, '(') || strchr(line, '(') > strchr(line, ' ')) variant[0] = 0;
    std::string name = variant[0] ? std::string(layout) + "(" + variant + ")" : layout;
    HKL handle = fake::XkbLayout(layout, variant);
    if (!handle) {
      skipped += " " + name;
      continue;
    }
    compiled.push_back({name, handle});
  }
  fclose(file);
  printf("XKB layouts: %zu compiled, not compiled:%s\n", compiled.size(),
         skipped.empty() ? " none" : skipped.c_str());
  EXPECT_GE(compiled.size(), 60u);
  EXPECT_EQ(nullptr, fake::XkbLayout("no-such-layout", "")) << "reported, not a crash";
  TypeOnEveryLayout("XKB layouts", compiled);
}

TEST(KeyboardTest, DownOfExactlyOnePresses) {
  fake::Reset();
  Keyboard::TypeCharacter('b', 2);
  Keyboard::TypeCharacter('b', -1);
  EXPECT_EQ((Calls{KeyUp(0x42, 0x30), KeyUp(0x42, 0x30)}), Events());
}

TEST(KeyboardTest, KeysAreLookedUpOnTheForegroundWindowsLayout) {
  fake::Reset();
  Keyboard::TypeCharacter('q', 1);
  EXPECT_EQ(Calls{KeyDown(0x51, 0x10)}, Events()) << "no foreground window: our own layout";
  EXPECT_EQ("GetKeyboardLayout(0)", fake::Calls({"GetKeyboardLayout"}).back());
  Keyboard::TypeCharacter('q', 0);

  fake::Reset();
  fake::SetForegroundLayout(fake::kFrench);
  Keyboard::TypeCharacter('q', 1);
  EXPECT_EQ(Calls{KeyDown(0x51, 0x1E)}, Events()) << "q is where US has a";
  EXPECT_EQ("GetKeyboardLayout(77)", fake::Calls({"GetKeyboardLayout"}).back());
  Keyboard::TypeCharacter('q', 0);
}

TEST(KeyboardTest, AReleaseUndoesWhatItsPressTypedEvenAfterALayoutChange) {
  fake::Reset();
  fake::SetForegroundLayout(fake::kGerman);
  Keyboard::TypeCharacter(0xE9, 1);
  fake::SetForegroundLayout(fake::kUnitedStates);
  fake::win().calls.clear();
  Keyboard::TypeCharacter(0xE9, 0);
  EXPECT_EQ((Calls{KeyUp(0x45, 0x12)}), Events()) << "the German E key, as pressed";

  fake::win().calls.clear();
  Keyboard::TypeCharacter(0xE9, 0);
  EXPECT_EQ(Calls{UnicodeUp(0xE9)}, Events()) << "a release with no press: the current layout";
}

TEST(KeyboardTest, APressAgainOnAnotherLayoutFirstLetsGoOfTheFirstPress) {
  fake::Reset();
  fake::SetForegroundLayout(fake::kGerman);
  Keyboard::TypeCharacter(0xE9, 1);
  Keyboard::TypeCharacter(0xE9, 1);
  EXPECT_EQ(6u, Events().size()) << "a repeat on the same layout only presses again";
  fake::SetForegroundLayout(fake::kUnitedStates);
  fake::win().calls.clear();
  Keyboard::TypeCharacter(0xE9, 1);
  Keyboard::TypeCharacter(0xE9, 0);
  EXPECT_EQ((Calls{KeyUp(0x45, 0x12), UnicodeDown(0xE9), UnicodeUp(0xE9)}), Events());
}

// A dead key struck on the PC keyboard waits in the keyboard state the focused
// application shares: a layout first seen then is not learned, since learning
// would take the accent and compose with it; the character goes as Unicode input
// and the accent still waits. The layout is learned right on the next character.
TEST(KeyboardTest, ALayoutIsLearnedOnlyWithNoDeadKeyPending) {
  HKL german = fake::ReinstalledLayout(fake::kGerman);
  fake::Reset();
  fake::SetForegroundLayout(german);
  fake::win().pendingDead = fake::win().translatedDead = 0xB4;
  Keyboard::TypeCharacter(0xE9, 1);
  Keyboard::TypeCharacter(0xE9, 0);
  EXPECT_EQ((Calls{UnicodeDown(0xE9), UnicodeUp(0xE9)}), Events());
  EXPECT_EQ(0xB4, fake::win().translatedDead) << "the user's accent taken";
  fake::Reset();
  fake::SetForegroundLayout(german);
  Keyboard::TypeCharacter(0xE9, 1);
  EXPECT_EQ((Calls{KeyDown(0xDD, 0x0D), KeyUp(0xDD, 0x0D), KeyDown(0x45, 0x12)}), Events());
  Keyboard::TypeCharacter(0xE9, 0);
}

// Before Windows 10 1607 ToUnicodeEx ignores flag 4, so that even the probe would
// take a pending accent: there nothing asks ToUnicodeEx, no layout is learned and
// characters go as Unicode input. From 1607 on the probe runs, the accent stays,
// and with none pending the layout is learned, every call saying a menu is active.
TEST(KeyboardTest, NoProbeWhereWindowsCannotKeepTheKeyboardState) {
  struct Version {
    DWORD major, minor, build;
    bool probes;
  };
  const Version versions[] = {
      {5, 1, 2600, false}, {6, 1, 7601, false}, {10, 0, 10586, false}, {10, 0, 14393, true}};
  for (const Version& version : versions) {
    HKL german = fake::ReinstalledLayout(fake::kGerman);
    NewSession();
    fake::win().versionMajor = version.major;
    fake::win().versionMinor = version.minor;
    fake::win().versionBuild = version.build;
    fake::SetForegroundLayout(german);
    fake::win().pendingDead = fake::win().translatedDead = 0xB4;
    Keyboard::TypeCharacter(0xE9, 1);
    Keyboard::TypeCharacter(0xE9, 0);
    EXPECT_EQ((Calls{UnicodeDown(0xE9), UnicodeUp(0xE9)}), Events()) << version.build;
    EXPECT_EQ(0xB4, fake::win().translatedDead) << version.build << ": the user's accent taken";
    Calls probe = version.probes ? Calls{"ToUnicodeEx(20,5)"} : Calls{};
    EXPECT_EQ(probe, fake::Calls({"ToUnicodeEx"})) << version.build;
    fake::win().pendingDead = fake::win().translatedDead = 0;
    fake::win().calls.clear();
    Keyboard::TypeCharacter(0xE9, 1);
    Keyboard::TypeCharacter(0xE9, 0);
    EXPECT_EQ(version.probes ? 4u : 2u, Events().size()) << version.build << ": learned";
    for (const std::string& call : fake::Calls({"ToUnicodeEx"})) {
      EXPECT_EQ('1', call[call.size() - 2] & ~6) << call << ": without flag 1";
    }
    // Learned or not, a capital and DEL go by their keys, modifiers with their scan codes.
    fake::win().calls.clear();
    for (unsigned char ch : {'A', '\x7F'}) {
      Keyboard::TypeCharacter(ch, 1);
      Keyboard::TypeCharacter(ch, 0);
    }
    EXPECT_EQ((Calls{kShiftDown, KeyDown(0x41, 0x1E), KeyUp(0x41, 0x1E), kShiftUp, kCtrlDown,
                     KeyDown(0x08, 0x0E), KeyUp(0x08, 0x0E), kCtrlUp}),
              Events())
        << version.build;
  }
  NewSession();
}

// Whether Shift turns Caps Lock off is read at a session's first character and
// when a layout is learned, never per character: a session of 1000 characters
// reads it as often as one of 10. A layout learned under the other setting is
// learned again.
TEST(KeyboardTest, TheShiftSettingIsReadPerSessionAndLayoutNotPerCharacter) {
  const std::string eDown = KeyDown(0x45, 0x12), eUp = KeyUp(0x45, 0x12);
  std::map<bool, size_t> readsInTen;
  for (int count : {10, 1000}) {
    HKL french = fake::ReinstalledLayout(fake::kFrench);
    for (bool clears : {false, true}) {
      NewSession();
      fake::SetForegroundLayout(french);
      fake::SetCapsLock(true);
      fake::SetShiftClearsCapsLock(clears);
      for (int i = 0; i < count; ++i) {
        Keyboard::TypeCharacter('e', 1);
        Keyboard::TypeCharacter('e', 0);
      }
      Calls once = clears ? Calls{UnicodeDown('e'), UnicodeUp('e')}
                          : Calls{kShiftDown, eDown, eUp, kShiftUp};
      Calls events = Events();
      EXPECT_EQ(once, Calls(events.begin(), events.begin() + once.size())) << clears;
      EXPECT_EQ(std::wstring(count, L'e'), fake::win().typed);
      size_t reads = fake::Calls({"RegQueryValueExA"}).size();
      if (count == 10) readsInTen[clears] = reads;
      EXPECT_EQ(readsInTen[clears], reads) << count << " characters, Shift clears: " << clears;
    }
  }
}

// Every character on every hand-made layout, Caps Lock off and on: no virtual key
// 0xFF, and a release lets go of every key and modifier its press held down.
TEST(KeyboardTest, EveryCharacterIsReleasedCompletelyAndNeverAsKeyFF) {
  for (int i = 0; i < 2 * kHandMadeLayoutCount; ++i) {
    HKL layout = kHandMadeLayouts[i % kHandMadeLayoutCount].second;
    for (int ch = 1; ch < 256; ++ch) {
      fake::Reset();
      fake::SetForegroundLayout(layout);
      fake::SetCapsLock(i >= kHandMadeLayoutCount);
      Keyboard::TypeCharacter(static_cast<unsigned char>(ch), 1);
      Keyboard::TypeCharacter(static_cast<unsigned char>(ch), 0);
      // Keys by virtual key and scan code, Unicode input by its code unit.
      std::map<std::pair<unsigned, unsigned>, int> held;
      for (const fake::KeyInput& key : fake::win().keyInputs) {
        EXPECT_NE(0xFF, key.vk) << ch;
        held[{key.unicode ? 0 : key.vk, key.unicode ? key.unicode : key.scan}] += key.down ? 1 : -1;
      }
      for (const auto& [key, count] : held) {
        EXPECT_EQ(0, count) << fake::Hex(key.first) << "," << fake::Hex(key.second) << " for "
                            << ch;
      }
      EXPECT_FALSE(fake::win().keyInputs.empty()) << "character " << ch << " typed";
    }
  }
}

}  // namespace
