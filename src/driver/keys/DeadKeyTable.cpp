#include "DeadKeyTable.h"

namespace {

// Accent characters by the letters of kAccents: Grave, Acute, Circumflex, Tilde,
// Diaeresis, cedilla (S).
char AccentFor(char mark) {
  switch (mark) {
    case 'G':
      return '`';
    case 'A':
      return '\xB4';
    case 'C':
      return '^';
    case 'T':
      return '~';
    case 'D':
      return '\xA8';
    case 'S':
      return '\xB8';
  }
  return 0;
}

// Capitals 0xC0-0xDF; the small letters 0xE0-0xFF follow the same pattern.
const char kAccents[] = "GACTD..SGACDGACD.TGACTD..GACD...";
const char kBases[] = "AAAAA..CEEEEIIII.NOOOOO..UUUU...";

struct Table {
  char sequences[64][3];
  Table() : sequences() {
    for (int i = 0; i < 64; ++i) {
      char accent = AccentFor(kAccents[i % 32]);
      if (!accent) continue;
      sequences[i][0] = accent;
      sequences[i][1] = static_cast<char>(kBases[i % 32] + (i < 32 ? 0 : 'a' - 'A'));
    }
  }
};

const Table kTable;

}  // namespace

const char* DeadKeyTable::Sequence(unsigned char letter) {
  if (letter < 0xC0) return nullptr;
  const char* sequence = kTable.sequences[letter - 0xC0];
  return sequence[0] ? sequence : nullptr;
}
