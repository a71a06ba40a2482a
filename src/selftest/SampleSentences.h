// The sentences typed after the single characters, in Windows-1252: accented
// French letters, accents alone before letters, and signs. Free of Windows
// calls, so that the unit tests type them on every layout too.
#pragma once

#include <string>
#include <vector>

class SampleSentences {
 public:
  // "Noël à l'école : ça déjà, ÉTÉ À l'Île, crème brûlée, naïve";
  // "^a ~n ¨e ´i `o ¸c ^ ~ ¨ ´ ` ¸"; "€ 5% @ #{[|]} «§» µ° ßÿÑ £¥ ½¼ ×÷".
  static std::vector<std::string> Texts() {
    return {
        "No\xEBl \xE0 l'\xE9"
        "cole : \xE7"
        "a d\xE9j\xE0, \xC9T\xC9 \xC0 l'\xCEle, cr\xE8me br\xFBl\xE9"
        "e, na\xEFve",
        "^a ~n \xA8"
        "e \xB4i `o \xB8"
        "c ^ ~ \xA8 \xB4 ` \xB8",
        "\x80 5% @ #{[|]} \xAB\xA7\xBB \xB5\xB0 \xDF\xFF\xD1 \xA3\xA5 \xBD\xBC \xD7\xF7"};
  }
};
