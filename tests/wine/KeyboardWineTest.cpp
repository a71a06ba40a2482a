// Characters typed through the driver's keystroke code arrive as text in a
// focused text field, with exactly the injected key events expected on the US
// layout. Run as "windows10" where Wine reports Windows 10: keys; as "windows7",
// Wine's answer for a 32-bit prefix: the driver asks ToUnicodeEx nothing there,
// so letters, digits and plain-level signs go by the keys VkKeyScan finds, the
// rest as Unicode input, DEL and control characters as the layout types them.
// Needs a display (with-xvfb).
#include <string.h>

#include "../../src/driver/keys/Keyboard.h"
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

// What Ctrl+Backspace types on the layout, as the focused application gets it.
WCHAR CtrlBackspace(HKL layout) {
  BYTE state[256] = {};
  state[VK_CONTROL] = 0x80;
  WCHAR typed[4] = {};
  UINT scan = MapVirtualKeyExA(VK_BACK, MAPVK_VK_TO_VSC, layout);
  return ToUnicodeEx(VK_BACK, scan, state, typed, 4, 0, layout) == 1 ? typed[0] : 0;
}

std::vector<KeyEvent> AsUnicode(const wchar_t* text) {
  std::vector<KeyEvent> events;
  for (const wchar_t* p = text; *p; ++p) {
    events.push_back(Down(kPacket, *p));
    events.push_back(Up(kPacket, *p));
  }
  return events;
}

}  // namespace

int main(int argc, char** argv) {
  bool windows10 = argc > 1 && strcmp(argv[1], "windows10") == 0;
  HKL us = LoadKeyboardLayoutA("00000409", KLF_ACTIVATE);
  CHECK(us != nullptr);
  TextField field;
  KeyRecorder recorder;
  CHECK(field.Focused());
  CHECK(recorder.Installed());

  const DWORD shift = MapVirtualKeyA(VK_SHIFT, MAPVK_VK_TO_VSC);
  const DWORD ctrl = MapVirtualKeyA(VK_CONTROL, MAPVK_VK_TO_VSC);
  const DWORD a = MapVirtualKeyA('A', MAPVK_VK_TO_VSC);
  const DWORD one = MapVirtualKeyA('1', MAPVK_VK_TO_VSC);
  const DWORD slash = MapVirtualKeyA(VK_OEM_2, MAPVK_VK_TO_VSC);
  const DWORD back = MapVirtualKeyA(VK_BACK, MAPVK_VK_TO_VSC);
  CHECK_EQ(0x2A, shift);
  CHECK_EQ(0x1E, a);

  Type("Aa1?\xE9\x80");
  std::vector<KeyEvent> byKeys = {Down(VK_SHIFT, shift), Down('A', a),        Up('A', a),
                                  Up(VK_SHIFT, shift),   Down('A', a),        Up('A', a),
                                  Down('1', one),        Up('1', one),        Down(VK_SHIFT, shift),
                                  Down(VK_OEM_2, slash), Up(VK_OEM_2, slash), Up(VK_SHIFT, shift),
                                  Down(kPacket, 0xE9),   Up(kPacket, 0xE9),   Down(kPacket, 0x20AC),
                                  Up(kPacket, 0x20AC)};
  std::vector<KeyEvent> lookedUp(byKeys.begin(), byKeys.begin() + 8);
  for (const KeyEvent& event : AsUnicode(L"?\u00E9\u20AC")) lookedUp.push_back(event);
  CHECK(KeyRecorder::Same(windows10 ? byKeys : lookedUp));
  CHECK(field.Text() == L"Aa1?\u00E9\u20AC");

  // DEL as the US layout types it: Ctrl+Backspace on Windows' table; on Wine's,
  // where Ctrl+Backspace types a backspace and no key types DEL, Unicode input.
  KeyRecorder::events().clear();
  Type("\x7F");
  std::vector<KeyEvent> ctrlBack = {Down(VK_CONTROL, ctrl), Down(VK_BACK, back), Up(VK_BACK, back),
                                    Up(VK_CONTROL, ctrl)};
  CHECK(KeyRecorder::Same(CtrlBackspace(us) == 0x7F ? ctrlBack : AsUnicode(L"\x7F")));
  return check::Finish("KeyboardWineTest");
}
