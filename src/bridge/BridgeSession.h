// The eight driver calls as a 64-bit host sees them, carried to the real driver
// in the helper process and answered in the host's process. A call waits at
// most its deadline to get in (CallGate), then has that deadline again for
// every wait in it: to start the helper and for the helper's answers; time in
// the host's callback and in the call's one message box does not count. A call
// that cannot get through in time returns 0. Until a call needs the device the
// bridge answers as the driver would with no display open.
#pragma once

#include "../../include/brlvelt.h"
#include "CallDeadline.h"
#include "CallGate.h"
#include "HelperExchange.h"
#include "HelperKeeper.h"
#include "SessionState.h"

class BridgeSession {
 public:
  BridgeSession() = default;
  BridgeSession(const BridgeSession&) = delete;
  BridgeSession& operator=(const BridgeSession&) = delete;

  int Init(const char* settings, KeyCallback callback);
  int Terminate();
  int Display(const unsigned char* cells, int count);
  int DisplayStatus(const unsigned char* cells, int count);
  int Clear();
  int Refresh();
  int Sleep(int sleep);
  int Timer();
  // A round trip that does no work in the helper: the channel's own cost.
  int Ping();

 private:
  // A call: it waits to get in, at most ms; then its deadline starts, so that
  // the helper has its whole time. The helper's time in a nested call counts
  // to the call that ran the host's code.
  template <typename Work>
  int Through(DWORD ms, Work work) {
    CallGate::Entry entry(gate, GetTickCount64() + ms);
    if (entry.Abandoned()) exchange.Abandon();
    if (!entry.Admitted()) return 0;
    CallDeadline deadline(ms);
    int result = work(deadline);
    exchange.Charge(deadline.HelperMs());
    return result;
  }
  int Open(const char* settings, KeyCallback callback, CallDeadline& deadline);
  int Close(CallDeadline& deadline);
  int Show(MessageKind kind, const unsigned char* cells, int count, CallDeadline& deadline);
  int Forward(MessageKind kind, CallDeadline& deadline);
  int Rest(int flag, CallDeadline& deadline);
  int Wake(CallDeadline& deadline);
  int Offline(HelperKeeper::Reached reached, int result) const {
    return keeper.GivenUp() || reached == HelperKeeper::Reached::kFailed ? 0 : result;
  }

  CallGate gate;
  SessionState state;
  HelperExchange exchange{gate, state};
  HelperKeeper keeper{exchange, gate, state};
};
