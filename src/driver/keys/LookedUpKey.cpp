#include "LookedUpKey.h"

#include "../../shared/facts/Cp1252.h"

namespace {

// The numeric keypad's characters depend on Num Lock.
bool OnKeypad(BYTE vk) {
  return vk >= VK_NUMPAD0 && vk <= VK_DIVIDE;
}

}  // namespace

Stroke LookedUpKey::For(unsigned char ch, HKL layout, bool capsLock) {
  SHORT found = VkKeyScanExA(static_cast<CHAR>(ch), layout);
  BYTE shiftState = static_cast<BYTE>((found >> 8) & 7);
  if ((found & 0xFF) == 0xFF || OnKeypad(found & 0xFF)) return {};
  bool safe = ch == ' '                   ? shiftState == 0
              : capsLock                  ? false
              : Cp1252::LetterOrDigit(ch) ? shiftState <= 1
                                          : PlainAndNotDead(ch, found, layout);
  return safe ? Key(found, layout, shiftState) : Stroke{};
}

Stroke LookedUpKey::Key(SHORT found, HKL layout, BYTE shiftState) {
  BYTE vk = static_cast<BYTE>(found & 0xFF);
  BYTE scan = static_cast<BYTE>(MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, layout));
  return {vk, scan, shiftState, 0};
}

// MAPVK_VK_TO_CHAR gives the plain level's character, its top bit set for a
// dead key; the character as a byte or as a code point.
bool LookedUpKey::PlainAndNotDead(unsigned char ch, SHORT found, HKL layout) {
  if (((found >> 8) & 7) != 0) return false;
  UINT plain = MapVirtualKeyExA(found & 0xFF, MAPVK_VK_TO_CHAR, layout);
  CHAR narrow = static_cast<CHAR>(ch);
  WCHAR wide = 0;
  if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wide, 1) != 1) wide = 0;
  return !(plain & 0x80000000u) && plain != 0 && (plain == ch || plain == static_cast<UINT>(wide));
}
