#include <gtest/gtest.h>

#include "../../src/bridge/InjectedKeys.h"
#include "FakeWindows.h"

namespace {

using Calls = std::vector<std::string>;

struct Event {
  InputCall call;
  ForwardedKey key;
};

// What the bridge lets go of when its helper ends, after the helper's
// keystrokes: exactly the keys Windows still holds down, the last first.
TEST(InjectedKeysTest, ReleasesWhatWindowsHoldsDown) {
  const struct {
    const char* name;
    std::vector<Event> events;
    Calls released;
  } cases[] = {
      {"right Ctrl stays down after a plain Ctrl goes up",
       {{kKeybdEvent, {0x11, 0x1D, 1}}, {kKeybdEvent, {0x11, 0x1D, 2}}},
       {"keybd_event(11,1D,3,0)"}},
      {"a plain Ctrl goes up after right Ctrl went up",
       {{kKeybdEvent, {0x11, 0x1D, 0}}, {kKeybdEvent, {0x11, 0x1D, 3}}},
       {fake::KeyUp(0x11, 0x1D)}},
      {"two Unicode characters are two keys",
       {{kSendInput, {0, 0xE9, 4}}, {kSendInput, {0, 0x20AC, 4}}},
       {fake::UnicodeUp(0x20AC), fake::UnicodeUp(0xE9)}},
      {"a Unicode character is not the virtual key of its code",
       {{kKeybdEvent, {0x41, 0x1E, 0}}, {kSendInput, {0, 0x41, 6}}},
       {fake::KeyUp(0x41, 0x1E)}},
      {"a key pressed twice goes up once",
       {{kKeybdEvent, {0x41, 0x1E, 0}}, {kKeybdEvent, {0x41, 0x1E, 0}}},
       {fake::KeyUp(0x41, 0x1E)}},
      {"a key that went up stays up",
       {{kKeybdEvent, {0x41, 0x1E, 0}}, {kKeybdEvent, {0x41, 0x1E, 2}}},
       {}},
  };
  for (const auto& c : cases) {
    fake::Reset();
    InjectedKeys keys;
    for (const Event& e : c.events) keys.Note(e.call, e.key);
    fake::Reset();
    keys.ReleaseAll();
    EXPECT_EQ(c.released, fake::Calls({"keybd_event", "SendInput"})) << c.name;
    EXPECT_EQ(0, keys.Count()) << c.name;
  }
}

}  // namespace
