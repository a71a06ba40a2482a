// What the helper asks of the host's process while it works on a request,
// answered there: a chord runs the host's callback, keystrokes are injected
// and noted while down, a box is shown. The callback and the box are the
// host's own code, which may call in again (see CallOrder).
#pragma once

#include "CallOrder.h"
#include "HelperMessage.h"
#include "InjectedKeys.h"
#include "SessionState.h"

class HelperRequests {
 public:
  HelperRequests(CallOrder& order, const SessionState& state) : order(order), state(state) {}
  HelperRequests(const HelperRequests&) = delete;
  HelperRequests& operator=(const HelperRequests&) = delete;

  void RunCallback(const HelperMessage& chord);
  // The keystrokes through the call the driver made; false when more keys
  // would be down than the driver can hold.
  bool Inject(const HelperMessage& input, int* done);
  // The user's answer; IDOK unseen while quiet.
  int ShowBox(const HelperMessage& box);
  // Lets go of every key still down.
  void ReleaseKeys() { keys.ReleaseAll(); }

  // While set, the driver's boxes are answered as the user's OK unseen.
  void Quiet(bool on) { quiet = on; }
  // Boxes of the driver shown so far.
  int BoxesShown() const { return boxesShown; }

 private:
  CallOrder& order;
  const SessionState& state;
  InjectedKeys keys;
  bool quiet = false;
  int boxesShown = 0;
};
