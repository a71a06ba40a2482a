// The exchange with the helper: a request, then the helper's own requests
// answered from the host's process until its result comes: chords for the
// host's callback, keystrokes injected and noted while down, and at most one
// message box a call. The callback and the box are the host's own code: they
// may call in again, nesting an exchange. A helper that breaks the protocol,
// misses the deadline or dies is ended, and the keys it held are let go.
#pragma once

#include "CallDeadline.h"
#include "CallGate.h"
#include "HelperMessage.h"
#include "HelperProcess.h"
#include "InjectedKeys.h"
#include "SessionState.h"

class HelperExchange {
 public:
  HelperExchange(CallGate& gate, const SessionState& state) : gate(gate), state(state) {}
  // Lets go of the held keys first; the helper ends after.
  ~HelperExchange() { keys.ReleaseAll(); }
  HelperExchange(const HelperExchange&) = delete;
  HelperExchange& operator=(const HelperExchange&) = delete;

  // Whether a helper runs; one that ended since the last call is cleared away.
  bool Attached();
  // False, with the helper ended, when no result came by the deadline.
  bool Call(const Message& request, CallDeadline& deadline, int* result);
  // Lets go of the keys the helper held, then ends it.
  void End();
  // Exchanges in progress, nested ones included.
  int Open() const { return open; }
  HelperProcess& Helper() { return helper; }

 private:
  bool Exchange(const Message& request, CallDeadline& deadline, int* result);
  bool Answer(const HelperMessage& message, CallDeadline& deadline);
  bool Reply(MessageKind kind, int value, const CallDeadline& deadline);
  bool Inject(const HelperMessage& message, int* done);
  void LogFailure(const Message& request, const CallDeadline& deadline);

  CallGate& gate;
  const SessionState& state;
  HelperProcess helper;
  InjectedKeys keys;
  int open = 0;
};
