// One request to the helper and its result, with what the helper asks of the
// host's process meanwhile answered (HelperRequests): chords in BrlTimer only,
// as many as one poll can report; at most one box a call, while the display
// opens (BrlInit, a wake). Time in the host's callback and in a box is the
// host's and the user's: it does not count against the request's deadline,
// and calls made from them have deadlines of their own. A helper that breaks
// the protocol, misses the deadline of its own exchange or dies is ended, and
// the keys it held are let go.
#pragma once

#include "CallGate.h"
#include "CallLimits.h"
#include "HelperMessage.h"
#include "HelperProcess.h"
#include "HelperRequests.h"
#include "SessionState.h"

class HelperExchange {
 public:
  HelperExchange(CallGate& gate, const SessionState& state) : gate(gate), requests(gate, state) {}
  // Lets go of the held keys first; the helper ends after, without handling
  // messages: this runs at unload.
  ~HelperExchange();
  HelperExchange(const HelperExchange&) = delete;
  HelperExchange& operator=(const HelperExchange&) = delete;

  // Whether a helper runs; one that ended since the last call is cleared away.
  bool Attached();
  // False, with the helper ended, when no result came by the deadline.
  bool Call(const Message& request, CallLimits& limits, int* result);
  // Lets go of the keys the helper held, then ends it.
  void End();
  // After a thread died inside an exchange: the helper, left waiting in the
  // middle of it, is ended; outermost, no exchange is in progress any more.
  void Abandon(bool outermost);
  // Exchanges in progress, nested ones included.
  int Open() const { return open; }
  HelperRequests& Requests() { return requests; }
  HelperProcess& Helper() { return helper; }

 private:
  bool Exchange(const Message& request, CallLimits& limits, int* result);
  bool Answer(const HelperMessage& message, CallLimits& limits, int generation);
  bool Reply(MessageKind kind, int value, const CallDeadline& deadline);
  void LogFailure(const Message& request, const CallDeadline& deadline);

  CallGate& gate;
  HelperRequests requests;
  HelperProcess helper;
  int open = 0;
};
