// One request to the helper and its result, with what the helper asks of the
// host's process meanwhile answered (HelperRequests): chords in BrlTimer only,
// as many as one poll can report; at most one box a call, while the display
// opens (Call's table). Time in the host's callback and in a box does not count
// (CallBudget). A helper that breaks the protocol, misses the deadline of its
// own exchange or dies is ended, and the keys it held are let go.
#pragma once

#include "CallBudget.h"
#include "CallOrder.h"
#include "HelperMessage.h"
#include "HelperProcess.h"
#include "HelperRequests.h"
#include "SessionState.h"

class HelperExchange {
 public:
  explicit HelperExchange(CallOrder& order, const SessionState& state) : requests(order, state) {}
  // Lets go of the held keys first; the helper ends after, without handling
  // messages: this runs at unload.
  ~HelperExchange();
  HelperExchange(const HelperExchange&) = delete;
  HelperExchange& operator=(const HelperExchange&) = delete;

  // Whether a helper runs; one that ended since the last call is cleared away.
  bool Attached();
  // False, with the helper ended, when no result came by the deadline.
  bool Request(const Message& request, CallBudget& budget, int* result);
  // Lets go of the keys the helper held, then ends it.
  void End();
  // After a thread died holding the turn: the helper, left waiting in the
  // middle of its exchange, is ended, and no exchange is in progress any more.
  void Abandon();
  // Exchanges in progress, nested ones included.
  int InProgress() const { return inProgress; }
  HelperRequests& Requests() { return requests; }
  HelperProcess& Helper() { return helper; }

 private:
  bool Exchange(const Message& request, CallBudget& budget, int* result);
  bool Answer(const HelperMessage& message, CallBudget& budget, int generation);
  bool Reply(MessageKind kind, int value, const CallBudget& budget);
  void LogFailure(const Message& request, const CallBudget& budget);

  HelperRequests requests;
  HelperProcess helper;
  int inProgress = 0;
};
