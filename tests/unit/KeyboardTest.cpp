#include <gtest/gtest.h>

#include <map>

#include "../../src/keys/Keyboard.h"
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

// "keybd_event(vk,scan,flags,0)" or "SendInput(unicode X down|up)": down unless
// KEYEVENTF_KEYUP is set, whatever other flags are.
bool IsDown(const std::string& event) {
  if (event.compare(0, 9, "SendInput") == 0) return event.find(" down)") != std::string::npos;
  size_t flags = event.rfind(',', event.size() - 4) + 1;
  return !(std::stoul(event.substr(flags), nullptr, 16) & KEYEVENTF_KEYUP);
}

// The event without its direction: "keybd_event(vk,scan" or "SendInput(unicode X".
std::string KeyOf(const std::string& event) {
  if (event.compare(0, 9, "SendInput") == 0) return event.substr(0, event.rfind(' '));
  return event.substr(0, event.rfind(',', event.size() - 4));
}

// Press and release of one character, as the display sends them.
struct Case {
  const char* name;
  unsigned char ch;
  Calls press;
  Calls release;
};

void Check(HKL layout, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    fake::Reset();
    fake::SetForegroundLayout(layout);
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
            {"circumflex on Shift+6",
             0xEA,
             {kShiftDown, KeyDown(0x36, 0x07), KeyUp(0x36, 0x07), kShiftUp, eDown},
             {eUp}},
        });
}

// Every character 0x20-0xFF on every modelled layout, Caps Lock off and on,
// arrives in the focused application as exactly itself, with no key left down,
// no dead key pending and Caps Lock as it was; with Caps Lock off, a character
// the layout types by a key never goes through Unicode input.
TEST(KeyboardTest, EveryCharacterArrivesAsItselfOnEveryLayout) {
  for (HKL layout :
       {fake::kUnitedStates, fake::kUnitedStatesInternational, fake::kFrench, fake::kGerman}) {
    for (bool capsLock : {false, true}) {
      for (int ch = 0x20; ch < 0x100; ++ch) {
        CHAR narrow = static_cast<CHAR>(ch);
        WCHAR expected = 0;
        MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &expected, 1);
        fake::Reset();
        fake::SetForegroundLayout(layout);
        fake::SetCapsLock(capsLock);
        bool byKey = VkKeyScanExA(narrow, layout) != -1 && !capsLock;
        Keyboard::TypeCharacter(static_cast<unsigned char>(ch), 1);
        Keyboard::TypeCharacter(static_cast<unsigned char>(ch), 0);
        const fake::Windows& w = fake::win();
        std::string name = "character " + fake::Hex(ch) + (capsLock ? " with Caps Lock" : "");
        EXPECT_EQ(std::wstring(1, expected), w.typed) << name;
        EXPECT_TRUE(w.keysDown.empty() && !w.pendingDead && w.capsLock == capsLock) << name;
        EXPECT_TRUE(!byKey || fake::Calls({"SendInput"}).empty()) << name;
      }
    }
  }
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

// Every character on every layout: no virtual key 0xFF, and a release lets go of
// every key and modifier its press held down.
TEST(KeyboardTest, EveryCharacterIsReleasedCompletelyAndNeverAsKeyFF) {
  for (HKL layout :
       {fake::kUnitedStates, fake::kUnitedStatesInternational, fake::kFrench, fake::kGerman}) {
    for (int ch = 1; ch < 256; ++ch) {
      fake::Reset();
      fake::SetForegroundLayout(layout);
      Keyboard::TypeCharacter(static_cast<unsigned char>(ch), 1);
      Keyboard::TypeCharacter(static_cast<unsigned char>(ch), 0);
      std::map<std::string, int> held;
      for (const std::string& event : Events()) {
        EXPECT_EQ(std::string::npos, event.find("keybd_event(FF,")) << ch;
        held[KeyOf(event)] += IsDown(event) ? 1 : -1;
      }
      for (const auto& [key, count] : held) EXPECT_EQ(0, count) << key << " for " << ch;
      EXPECT_FALSE(Events().empty()) << "character " << ch << " typed";
    }
  }
}

}  // namespace
