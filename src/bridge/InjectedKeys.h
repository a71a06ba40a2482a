// The keys the bridge injected down and not yet up, virtual keys and Unicode
// input alike, each as Windows tells it apart, in the order they went down:
// whatever becomes of the helper, the bridge can let go of them from the host's
// process.
#pragma once

#include "HelperMessage.h"

class InjectedKeys {
 public:
  // More keys than the driver can hold at once (a character and its
  // modifiers for each byte value, and every virtual key).
  static const int kMost = 1024;

  // Whether more keys may go down: the driver never holds kMost.
  bool Fits(int more) const { return count + more <= kMost; }
  // Notes one injected key event (down beyond kMost keys is not noted).
  void Note(InputCall call, const ForwardedKey& key);
  // Lets go of every key still down, the last pressed first, through the
  // call that pressed it.
  void ReleaseAll();
  int Count() const { return count; }

 private:
  struct Held {
    InputCall call;
    ForwardedKey key;
  };

  int Find(const ForwardedKey& key) const;
  static void Release(const Held& held);

  Held held[kMost] = {};
  int count = 0;
};
