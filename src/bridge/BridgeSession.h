// The eight driver calls as a 64-bit host sees them, carried to the real driver
// in the helper process and answered in the host's process. A call gets in as
// CallGate decides, waiting at most its deadline; then it has that deadline
// again for every wait in it: to start the helper and for the helper's answers.
// Time in the host's callback and in the call's one message box does not
// count. A call that cannot get through in time returns 0. A call deferred
// (made from a message handled while the bridge waited) is answered as the
// driver would answer it and carried out when the call in progress ends. Until
// a call needs the device the bridge answers as the driver would with no
// display open.
#pragma once

#include "../../include/brlvelt.h"
#include "CallGate.h"
#include "CallLimits.h"
#include "DeferredCalls.h"
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
  // One export call: in through the gate, the work with its deadline, then
  // the calls deferred meanwhile. call describes it, should it be deferred;
  // without other work, it is carried out as described.
  template <typename Work>
  int Perform(const DeferredCall& call, Work work) {
    DWORD ms = DeadlineMs(call.kind);
    bool mayShowBox = call.kind == MessageKind::kInit || call.kind == MessageKind::kSleep ||
                      call.kind == MessageKind::kTerminate;
    CallGate::Entry entry(gate, mayShowBox, GetTickCount64() + ms);
    if (entry.Result() == CallGate::Admission::kDeferred) return Defer(call);
    if (entry.Result() == CallGate::Admission::kRefused) return Refuse(call.kind);
    if (gate.TakeAbandoned()) exchange.Abandon(entry.Outermost());
    // Calls deferred before this one go first, those deferred during it after;
    // a call let in from another thread carries none that may show a box.
    CarryDeferred(deferred.Count(), entry.Lent());
    CallLimits limits(ms);
    int result = work(limits);
    CarryDeferred(kAll, entry.Lent());
    return result;
  }
  int Perform(const DeferredCall& call) {
    return Perform(call, [&](CallLimits& limits) { return Carry(call, limits); });
  }
  // BrlInit and BrlSleep may open the display.
  static DWORD DeadlineMs(MessageKind kind) {
    return kind == MessageKind::kInit || kind == MessageKind::kSleep ? CallDeadline::kOpenMs
                                                                     : CallDeadline::kCallMs;
  }
  int Defer(const DeferredCall& call);
  int Expected(const DeferredCall& call);
  static int Refuse(MessageKind kind);
  // The calls kept, the oldest first, at most most of them; with cellsOnly,
  // up to the first that may show a box.
  static const int kAll = 0x7FFFFFFF;
  void CarryDeferred(int most, bool cellsOnly);
  int Carry(const DeferredCall& call, CallLimits& limits);
  int Open(const char* settings, KeyCallback callback, CallLimits& limits);
  int Close(CallLimits& limits);
  int SendCells(MessageKind kind, const unsigned char* cells, int count, CallLimits& limits);
  int SendPlain(MessageKind kind, CallLimits& limits);
  int SetSleep(int flag, CallLimits& limits);
  int Wake(CallLimits& limits);
  int AnswerWithoutHelper(HelperKeeper::Reached reached, int result) const {
    return keeper.GivenUp() || reached == HelperKeeper::Reached::kFailed ? 0 : result;
  }
  int& LastResult(MessageKind kind);

  CallGate gate;
  SessionState state;
  DeferredCalls deferred;
  HelperExchange exchange{gate, state};
  HelperKeeper keeper{exchange, gate, state};
  // The driver's last answers to BrlDisplay, BrlDisplayStatus, BrlClear and
  // BrlRefresh: a deferred call's answer where no display is open and awake.
  int lastResults[4] = {1, 1, 1, 0};
};
