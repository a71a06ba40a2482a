// The exchange with the helper: a request, then the helper's own requests
// answered from the host's process until its result comes: chords for the
// host's callback (in BrlTimer only, as many as one poll can report),
// keystrokes injected and noted while down, and at most one message box a call
// (while the display opens: BrlInit, a wake). The callback and the box are the
// host's own code: they may call in again, nesting an exchange. A helper that
// breaks the protocol, misses the deadline or dies is ended, and the keys it
// held are let go.
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
  // After a thread died inside an exchange: none is in progress, and the
  // helper, left waiting in the middle of one, is ended.
  void Abandon() {
    open = 0;
    quiet = false;
    End();
  }
  // Exchanges in progress, nested ones included.
  int Open() const { return open; }
  // While set, the driver's boxes are answered as the user's OK unseen.
  void Quiet(bool on) { quiet = on; }
  // Boxes of the driver shown so far.
  int BoxesShown() const { return boxesShown; }
  // A call of the host's ended that charged ms to the helper.
  void Charge(ULONGLONG ms) { nestedMs += ms; }
  HelperProcess& Helper() { return helper; }

 private:
  bool Exchange(const Message& request, CallDeadline& deadline, int* result);
  bool Answer(const HelperMessage& message, CallDeadline& deadline);
  ULONGLONG HostCode(const HelperMessage& message, int* answer);
  bool Reply(MessageKind kind, int value, const CallDeadline& deadline);
  bool Inject(const HelperMessage& message, int* done);
  void LogFailure(const Message& request, const CallDeadline& deadline);

  CallGate& gate;
  const SessionState& state;
  HelperProcess helper;
  InjectedKeys keys;
  int open = 0;
  bool quiet = false;
  int boxesShown = 0;
  ULONGLONG nestedMs = 0;  // the helper's time in calls nested in host code
};
