#include "Cp1252.h"

namespace {

// Letters outside ASCII and 0xC0-0xFF: Š Œ Ž š œ ž Ÿ.
const unsigned char kHighLetters[] = {0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F};

}  // namespace

bool Cp1252::LetterOrDigit(unsigned char ch) {
  if ((ch >= '0' && ch <= '9') || ((ch | 0x20) >= 'a' && (ch | 0x20) <= 'z')) return true;
  if (ch >= 0xC0) return ch != 0xD7 && ch != 0xF7;
  for (unsigned char letter : kHighLetters) {
    if (ch == letter) return true;
  }
  return false;
}
