// The eight driver calls as a 64-bit host sees them, carried to the driver in
// the helper in the one order CallOrder keeps, each within its budget (Call's
// table). A kept call answers as the driver would between calls; with no
// helper, the bridge answers as the driver does with no display open.
#pragma once

#include "../../include/brlvelt.h"
#include "Call.h"
#include "CallBudget.h"
#include "CallOrder.h"
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
  // One export call: its place in the order, the kept calls made before it,
  // its work within its budget, then, with the turn, the kept calls made
  // meanwhile. call describes it, should it be kept; without other work, it is
  // carried out as described.
  template <typename Work>
  int Perform(Call call, Work work) {
    call.answered = Expected(call);
    CallOrder::Place place(order, call, GetTickCount64() + call.Is().deadlineMs);
    if (place.Result() == CallOrder::Admission::kKept) return call.answered;
    if (place.Result() == CallOrder::Admission::kRefused) return 0;
    bool turn = place.Result() == CallOrder::Admission::kTurn;
    if (turn && order.TakeAbandoned()) exchange.Abandon();
    CarryKept(&place);
    CallBudget budget(call.Is().deadlineMs);
    int result = work(budget);
    if (turn) CarryKept(nullptr);
    return result;
  }
  int Perform(const Call& call) {
    return Perform(call, [&](CallBudget& budget) { return Carry(call, budget); });
  }
  int Expected(const Call& call);
  // The kept calls made before the place given, or all of them up to the next
  // call that waits for its turn.
  void CarryKept(CallOrder::Place* before);
  int Carry(const Call& call, CallBudget& budget);
  int Open(const char* settings, KeyCallback callback, CallBudget& budget);
  int Close(CallBudget& budget);
  int SendCells(MessageKind kind, const unsigned char* cells, int count, CallBudget& budget);
  int SendPlain(MessageKind kind, CallBudget& budget);
  int SetSleep(int flag, CallBudget& budget);
  int Wake(CallBudget& budget);
  int AnswerWithoutHelper(HelperKeeper::Reached reached, int result) const {
    return keeper.GivenUp() || reached == HelperKeeper::Reached::kFailed ? 0 : result;
  }
  int& LastResult(MessageKind kind);

  CallOrder order;
  SessionState state;
  HelperExchange exchange{order, state};
  HelperKeeper keeper{exchange, order, state};
  // The driver's last answers to the calls kept as it would answer them: a
  // kept call's answer where no display is open and awake.
  struct Answer {
    MessageKind kind;
    int result;
  } lastResults[4] = {{MessageKind::kDisplay, 1},
                      {MessageKind::kDisplayStatus, 1},
                      {MessageKind::kClear, 1},
                      {MessageKind::kRefresh, 0}};
};
