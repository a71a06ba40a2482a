// Characters typed through the driver's keystroke code arrive as text in a
// focused text field, with exactly the injected key events expected on the US
// layout. Needs a display (with-xvfb).
#include "../../src/keys/Keyboard.h"
#include "Check.h"
#include "KeyRecorder.h"

namespace {

const DWORD kPacket = 0xE7;  // VK_PACKET: a Unicode character typed as such

void Type(const char* text) {
  for (const char* p = text; *p; ++p) {
    Keyboard::TypeCharacter(static_cast<unsigned char>(*p), 1);
    Keyboard::TypeCharacter(static_cast<unsigned char>(*p), 0);
  }
  KeyRecorder::Pump();
}

}  // namespace

int main() {
  TextField field;
  KeyRecorder recorder;
  CHECK(field.Focused());
  CHECK(recorder.Installed());

  const DWORD shift = MapVirtualKeyA(VK_SHIFT, MAPVK_VK_TO_VSC);
  const DWORD a = MapVirtualKeyA('A', MAPVK_VK_TO_VSC);
  const DWORD one = MapVirtualKeyA('1', MAPVK_VK_TO_VSC);
  const DWORD slash = MapVirtualKeyA(VK_OEM_2, MAPVK_VK_TO_VSC);
  CHECK_EQ(0x2A, shift);
  CHECK_EQ(0x1E, a);

  Type("Aa1?\xE9\x80");
  CHECK(KeyRecorder::Same({Down(VK_SHIFT, shift), Down('A', a), Up('A', a), Up(VK_SHIFT, shift),
                           Down('A', a), Up('A', a), Down('1', one), Up('1', one),
                           Down(VK_SHIFT, shift), Down(VK_OEM_2, slash), Up(VK_OEM_2, slash),
                           Up(VK_SHIFT, shift), Down(kPacket, 0xE9), Up(kPacket, 0xE9),
                           Down(kPacket, 0x20AC), Up(kPacket, 0x20AC)}));
  CHECK(field.Text() == L"Aa1?\u00E9\u20AC");
  return check::Finish("KeyboardWineTest");
}
