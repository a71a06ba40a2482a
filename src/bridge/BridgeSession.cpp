#include "BridgeSession.h"

#include <string.h>

#include "../shared/facts/KeyState.h"
#include "../shared/log/Log.h"
#include "../shared/log/LogLine.h"

namespace {

// With cells, as much of the row as the driver may read.
Call Describe(MessageKind kind, int value = 0, const unsigned char* cells = nullptr) {
  Call call;
  call.kind = kind;
  call.value = value;
  call.cells = cells != nullptr;
  if (cells && value > 0) {
    memcpy(call.row, cells, value < DriverLimits::kCells ? value : DriverLimits::kCells);
  }
  return call;
}

}  // namespace

int BridgeSession::Init(const char* settings, KeyCallback callback) {
  return Perform(Describe(MessageKind::kInit),
                 [&](CallBudget& budget) { return Open(settings, callback, budget); });
}

int BridgeSession::Terminate() {
  return Perform(Describe(MessageKind::kTerminate));
}

int BridgeSession::Display(const unsigned char* cells, int count) {
  return Perform(Describe(MessageKind::kDisplay, count, cells));
}

int BridgeSession::DisplayStatus(const unsigned char* cells, int count) {
  return Perform(Describe(MessageKind::kDisplayStatus, count, cells));
}

int BridgeSession::Clear() {
  return Perform(Describe(MessageKind::kClear));
}

int BridgeSession::Refresh() {
  return Perform(Describe(MessageKind::kRefresh));
}

int BridgeSession::Sleep(int flag) {
  return Perform(Describe(MessageKind::kSleep, flag));
}

int BridgeSession::Timer() {
  return Perform(Describe(MessageKind::kTimer));
}

int BridgeSession::Ping() {
  return Perform(Describe(MessageKind::kTimer), [&](CallBudget& budget) {
    int result = 0;
    return exchange.Attached() && exchange.Request(Message(MessageKind::kPing), budget, &result)
               ? result
               : 0;
  });
}

// What the driver answers between calls (the table's answer when kept); for
// the row calls, with the display open and awake, 1 but for cells missing
// where the driver would read some, otherwise what the driver last answered a
// call of that kind.
int BridgeSession::Expected(const Call& call) {
  if (call.Is().kept == Call::WhenKept::kOne) return 1;
  if (call.Is().kept != Call::WhenKept::kAsTheDriver) return 0;
  if (!state.session || state.sleeping || keeper.GivenUp()) return LastResult(call.kind);
  int count = state.initResult & 0xFF, status = state.initResult >> 8;
  int room = call.kind == MessageKind::kDisplay ? DriverLimits::kCells - status : status;
  bool reads = call.value > 0 && room > 0;
  if (call.kind == MessageKind::kDisplay && count == 0) return 1;
  bool cellsCall = call.kind == MessageKind::kDisplay || call.kind == MessageKind::kDisplayStatus;
  return cellsCall && reads && !call.cells ? 0 : 1;
}

void BridgeSession::CarryKept(CallOrder::Place* before) {
  Call call;
  while (before ? before->TakeEarlierKept(&call) : order.TakeKept(&call)) {
    CallBudget budget(call.Is().deadlineMs);
    int result = Carry(call, budget);
    if (result != call.answered && Log::On()) {
      LogLine()
          .Text(call.Is().name)
          .Text(" kept: answered ")
          .Number(call.answered)
          .Text(", the driver answered ")
          .Number(result);
    }
  }
}

// The call with the arguments it describes: the cells as the driver may read
// them, which is all of them it reads.
int BridgeSession::Carry(const Call& call, CallBudget& budget) {
  switch (call.kind) {
    case MessageKind::kDisplay:
    case MessageKind::kDisplayStatus:
      return SendCells(call.kind, call.cells ? call.row : nullptr, call.value, budget);
    case MessageKind::kSleep:
      return SetSleep(call.value, budget);
    case MessageKind::kTerminate:
      return Close(budget);
    default:
      return SendPlain(call.kind, budget);
  }
}

int& BridgeSession::LastResult(MessageKind kind) {
  for (Answer& last : lastResults) {
    if (last.kind == kind) return last.result;
  }
  return lastResults[0].result;
}

// Settings the driver refuses change nothing in it, and start nothing here.
int BridgeSession::Open(const char* settings, KeyCallback callback, CallBudget& budget) {
  int length = DriverLimits::SettingsLength(settings);
  if (length < 0) return 0;
  keeper.Reset();
  if (!exchange.Attached()) {
    state.session = false;
    if (!keeper.Launch(budget, true)) return 0;
  }
  memcpy(state.settings, settings, length + 1);
  state.callback = callback;
  int result = 0;
  if (exchange.Request(state.InitRequest(), budget, &result) && SessionState::Plausible(result)) {
    state.session = state.session || result != 0;
    if (result != 0) state.initResult = result;
    return result;
  }
  exchange.End();
  keeper.ReportNoAnswer(budget);
  return 0;
}

// The driver clears its cells as it closes the display.
int BridgeSession::Close(CallBudget& budget) {
  state.session = false;
  state.NoteRow(nullptr, 0);
  int result = 0;
  return exchange.Attached() && exchange.Request(Message(MessageKind::kTerminate), budget, &result)
             ? result
             : 0;
}

// The cells the driver may read: as many as the host gave, at most a row. The
// row of a session is kept, helper or not, to be sent again.
int BridgeSession::SendCells(MessageKind kind, const unsigned char* cells, int count,
                             CallBudget& budget) {
  if (state.session && kind == MessageKind::kDisplay) state.NoteRow(cells, count);
  HelperKeeper::Reached reached = keeper.Reach(budget);
  if (reached != HelperKeeper::Reached::kHelper) return AnswerWithoutHelper(reached, 1);
  Message request(kind);
  request.PutInt(count);
  request.PutInt(cells != nullptr);
  if (cells && count > 0) {
    request.PutBytes(cells, count < DriverLimits::kCells ? count : DriverLimits::kCells);
  }
  int result = 0;
  return LastResult(kind) = exchange.Request(request, budget, &result) ? result : 0;
}

// Clear, Refresh and Timer: answered as with no display open when no helper
// can be had. Timer carries Caps Lock as the host's thread reads it: the
// helper's own thread never receives keyboard input.
int BridgeSession::SendPlain(MessageKind kind, CallBudget& budget) {
  if (state.session && kind == MessageKind::kClear) state.NoteRow(nullptr, 0);
  HelperKeeper::Reached reached = keeper.Reach(budget);
  if (reached != HelperKeeper::Reached::kHelper) {
    return AnswerWithoutHelper(reached, kind == MessageKind::kClear ? 1 : 0);
  }
  Message request(kind);
  if (kind == MessageKind::kTimer) request.PutInt(KeyState::CapsLockOn() ? 1 : 0);
  int result = 0;
  bool answered = exchange.Request(request, budget, &result);
  if (kind != MessageKind::kTimer) LastResult(kind) = answered ? result : 0;
  return answered ? result : 0;
}

// Without a helper the flag is kept here, as the driver keeps it with no
// display open; waking is what opens the display. The flag is the host's wish,
// set before the call as the driver sets it: a call that fails leaves a helper
// to restart awake, or none while asleep.
int BridgeSession::SetSleep(int flag, CallBudget& budget) {
  if (!exchange.Attached()) {
    if (keeper.GivenUp()) return 0;
    if (flag == state.sleeping || flag != 0) {
      state.sleeping = flag;
      return 1;
    }
    return Wake(budget);
  }
  if (flag && !state.sleeping) state.NoteRow(nullptr, 0);  // going to sleep clears the cells
  state.sleeping = flag;
  Message request(MessageKind::kSleep);
  request.PutInt(flag);
  int result = 0;
  return exchange.Request(request, budget, &result) ? result : 0;
}

// Waking with no helper opens the display in a fresh one: in a session as after
// a lost helper; after one, with its last settings and callback, as the driver
// keeps them; before any, as the driver wakes with none.
int BridgeSession::Wake(CallBudget& budget) {
  if (state.Reopenable()) {
    state.sleeping = 0;
    if (state.session) return AnswerWithoutHelper(keeper.Reach(budget), 1);
    keeper.Reopen(budget, true);
    return 1;
  }
  bool launched = keeper.Launch(budget, true);  // asleep, as the driver is now
  state.sleeping = 0;
  Message wake(MessageKind::kSleep);
  wake.PutInt(0);
  int result = 1;
  return !launched || exchange.Request(wake, budget, &result) ? result : 0;
}
