// Windows-1252, the hosts' character set: which of its characters are letters
// or digits, the characters the driver types by key wherever a layout has them
// and the self-test holds it to.
#pragma once

class Cp1252 {
 public:
  static bool LetterOrDigit(unsigned char ch);
};
