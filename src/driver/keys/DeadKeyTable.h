// Accented letters typed as two characters: the accent's spacing character,
// then the unaccented letter of the same case (Windows-1252).
#pragma once

class DeadKeyTable {
 public:
  // The two-character sequence for one of the 48 covered letters, or null.
  // The result points into a static table and is NUL-terminated.
  static const char* Sequence(unsigned char letter);
};
