// Arbitrary byte streams into the VELT key-packet decoder. Checks that every
// chord code has bit 31 set and that keys pressed through typed characters are
// all up again once their releases arrive. The first byte picks the foreground
// window's layout (none, US, French, German); so does the code of a type-9
// packet, which the decoder drops, to switch layouts between presses.
#include <stddef.h>
#include <stdint.h>

#include <iterator>

#include "../../src/driver/model/VeltDisplay.h"
#include "../unit/FakeVelt.h"
#include "KeyState.h"

namespace {

int WINAPI OnChord(int code, int) {
  Require((static_cast<unsigned>(code) & 0x80000000u) != 0, "chord code has bit 31");
  return 0;
}

VeltDisplay& Display() {
  static VeltDisplay* display = [] {
    fake::Reset();
    fake::win().recordOnly.assign(std::begin(KeyState::kCalls), std::end(KeyState::kCalls));
    fakevelt::Install();
    static VeltDisplay d;
    d.Initialize("fuzz", OnChord);
    return &d;
  }();
  return *display;
}

void SwitchLayout(unsigned char which) {
  const HKL layouts[] = {nullptr, fake::kUnitedStates, fake::kFrench, fake::kGerman};
  fake::win().foreground = nullptr;
  if (layouts[which % 4]) fake::SetForegroundLayout(layouts[which % 4]);
}

// Mirrors the decoder's framing: packets are aligned with the bytes fed since
// the process started.
struct Framing {
  size_t fed = 0;
  unsigned char packet[3] = {};
  bool pressed[256] = {};  // characters whose last type-1 action was a press

  // Feeds one byte; attributes the events of a type-1 packet to typed keys.
  void Feed(VeltDisplay& display, unsigned char byte, KeyState& typed) {
    packet[fed % 3] = byte;
    size_t before = fake::win().calls.size();
    display.HandleInputByte(byte);
    if (fed++ % 3 != 2) return;
    if (packet[0] == 9) SwitchLayout(packet[2]);
    if (packet[0] != 1) return;
    typed.Apply(before);
    if (packet[1] & 0x02) pressed[packet[2]] = true;
    if (packet[1] & 0x01) pressed[packet[2]] = false;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VeltDisplay& display = Display();
  static Framing framing;
  if (size == 0) return 0;
  SwitchLayout(data[0]);

  KeyState typed;
  for (size_t i = 1; i < size; ++i) framing.Feed(display, data[i], typed);
  while (framing.fed % 3) framing.Feed(display, 0, typed);
  for (int ch = 0; ch < 256; ++ch) {
    if (!framing.pressed[ch]) continue;
    const unsigned char release[3] = {1, 0x01, static_cast<unsigned char>(ch)};
    for (unsigned char byte : release) framing.Feed(display, byte, typed);
  }
  typed.ExpectAllUp("after every typed character was released");
  // As many heap blocks as before the run: libFuzzer's leak check runs only on a real leak.
  fake::win().calls.clear();
  fake::win().typed.clear();
  return 0;
}
