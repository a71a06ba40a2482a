#include "BridgeSession.h"

#include <string.h>

#include "../shared/facts/KeyState.h"
#include "../shared/log/Log.h"
#include "../shared/log/LogLine.h"

namespace {

const char* const kCallNames[] = {"BrlInit",  "BrlTerminate", "BrlDisplay", "BrlDisplayStatus",
                                  "BrlClear", "BrlRefresh",   "BrlSleep",   "BrlTimer"};

const char* CallName(MessageKind kind) {
  return kCallNames[static_cast<int>(kind) - static_cast<int>(MessageKind::kInit)];
}

DeferredCall Describe(MessageKind kind, int value = 0) {
  DeferredCall call;
  call.kind = kind;
  call.value = value;
  return call;
}

// As much of the row as the driver may read.
DeferredCall DescribeCells(MessageKind kind, const unsigned char* cells, int count) {
  DeferredCall call = Describe(kind, count);
  call.cells = cells != nullptr;
  if (cells && count > 0) {
    memcpy(call.row, cells, count < DriverLimits::kCells ? count : DriverLimits::kCells);
  }
  return call;
}

}  // namespace

int BridgeSession::Init(const char* settings, KeyCallback callback) {
  return Perform(Describe(MessageKind::kInit),
                 [&](CallLimits& limits) { return Open(settings, callback, limits); });
}

int BridgeSession::Terminate() {
  return Perform(Describe(MessageKind::kTerminate));
}

int BridgeSession::Display(const unsigned char* cells, int count) {
  return Perform(DescribeCells(MessageKind::kDisplay, cells, count));
}

int BridgeSession::DisplayStatus(const unsigned char* cells, int count) {
  return Perform(DescribeCells(MessageKind::kDisplayStatus, cells, count));
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
  return Perform(Describe(MessageKind::kTimer), [&](CallLimits& limits) {
    int result = 0;
    return exchange.Attached() && exchange.Call(Message(MessageKind::kPing), limits, &result)
               ? result
               : 0;
  });
}

// BrlInit is refused: only the display can tell its answer. BrlTimer answers
// as an empty poll: the keys wait in the display for the next one.
int BridgeSession::Defer(const DeferredCall& call) {
  if (call.kind == MessageKind::kInit) {
    if (Log::On()) LogLine().Text("BrlInit refused: made while the bridge was busy with a call");
    return 0;
  }
  if (call.kind == MessageKind::kTimer) {
    if (Log::On()) LogLine().Text("BrlTimer answered as an empty poll: the bridge was busy");
    return 0;
  }
  DeferredCall kept = call;
  kept.answered = Expected(call);
  DeferredCalls::Kept how = deferred.Keep(kept);
  if (Log::On()) {
    LogLine()
        .Text(CallName(call.kind))
        .Text(how == DeferredCalls::Kept::kAdded ? " deferred to the end of the call in progress"
              : how == DeferredCalls::Kept::kReplaced
                  ? " deferred, dropping the oldest row deferred"
                  : " dropped: too many calls deferred");
  }
  return how == DeferredCalls::Kept::kDropped ? 0 : kept.answered;
}

// What the driver answers between calls: BrlSleep 1, BrlTerminate 0; with the
// display open and awake, 1 but for cells missing where the driver would read
// some; otherwise what the driver last answered a call of that kind.
int BridgeSession::Expected(const DeferredCall& call) {
  if (call.kind == MessageKind::kSleep) return 1;
  if (call.kind == MessageKind::kTerminate) return 0;
  if (!state.session || state.sleeping || keeper.GivenUp()) return LastResult(call.kind);
  int count = state.opened & 0xFF, status = state.opened >> 8;
  int room = call.kind == MessageKind::kDisplay ? DriverLimits::kCells - status : status;
  bool reads = call.value > 0 && room > 0;
  if (call.kind == MessageKind::kDisplay && count == 0) return 1;
  bool cellsCall = call.kind == MessageKind::kDisplay || call.kind == MessageKind::kDisplayStatus;
  return cellsCall && reads && !call.cells ? 0 : 1;
}

int BridgeSession::Refuse(MessageKind kind) {
  if (Log::On()) {
    LogLine().Text(CallName(kind)).Text(" refused: another call is in progress or a box is up");
  }
  return 0;
}

void BridgeSession::CarryDeferred(int most, bool cellsOnly) {
  DeferredCall call;
  for (int carried = 0; carried < most && deferred.Take(&call, cellsOnly); ++carried) {
    CallLimits limits(DeadlineMs(call.kind));
    int result = Carry(call, limits);
    if (result != call.answered && Log::On()) {
      LogLine()
          .Text(CallName(call.kind))
          .Text(" deferred: answered ")
          .Number(call.answered)
          .Text(", the driver answered ")
          .Number(result);
    }
  }
}

// The call with the arguments it describes: the cells as the driver may read
// them, which is all of them it reads.
int BridgeSession::Carry(const DeferredCall& call, CallLimits& limits) {
  switch (call.kind) {
    case MessageKind::kDisplay:
    case MessageKind::kDisplayStatus:
      return SendCells(call.kind, call.cells ? call.row : nullptr, call.value, limits);
    case MessageKind::kSleep:
      return SetSleep(call.value, limits);
    case MessageKind::kTerminate:
      return Close(limits);
    default:
      return SendPlain(call.kind, limits);
  }
}

int& BridgeSession::LastResult(MessageKind kind) {
  return lastResults[static_cast<int>(kind) - static_cast<int>(MessageKind::kDisplay)];
}

// Settings the driver refuses change nothing in it, and start nothing here.
int BridgeSession::Open(const char* settings, KeyCallback callback, CallLimits& limits) {
  int length = DriverLimits::SettingsLength(settings);
  if (length < 0) return 0;
  keeper.Reset();
  if (!exchange.Attached()) {
    state.session = false;
    if (!keeper.Launch(limits, true)) return 0;
  }
  memcpy(state.settings, settings, length + 1);
  state.callback = callback;
  int result = 0;
  if (exchange.Call(state.InitRequest(), limits, &result) && SessionState::Plausible(result)) {
    state.session = state.session || result != 0;
    if (result != 0) state.opened = result;
    return result;
  }
  exchange.End();
  keeper.ReportNoAnswer(limits);
  return 0;
}

// The driver clears its cells as it closes the display.
int BridgeSession::Close(CallLimits& limits) {
  state.session = false;
  state.NoteRow(nullptr, 0);
  int result = 0;
  return exchange.Attached() && exchange.Call(Message(MessageKind::kTerminate), limits, &result)
             ? result
             : 0;
}

// The cells the driver may read: as many as the host gave, at most a row. The
// row of a session is kept, helper or not, to be sent again.
int BridgeSession::SendCells(MessageKind kind, const unsigned char* cells, int count,
                             CallLimits& limits) {
  if (state.session && kind == MessageKind::kDisplay) state.NoteRow(cells, count);
  HelperKeeper::Reached reached = keeper.Reach(limits);
  if (reached != HelperKeeper::Reached::kHelper) return AnswerWithoutHelper(reached, 1);
  Message request(kind);
  request.PutInt(count);
  request.PutInt(cells != nullptr);
  if (cells && count > 0) {
    request.PutBytes(cells, count < DriverLimits::kCells ? count : DriverLimits::kCells);
  }
  int result = 0;
  return LastResult(kind) = exchange.Call(request, limits, &result) ? result : 0;
}

// Clear, Refresh and Timer: answered as with no display open when no helper
// can be had. Timer carries Caps Lock as the host's thread reads it: the
// helper's own thread never receives keyboard input.
int BridgeSession::SendPlain(MessageKind kind, CallLimits& limits) {
  if (state.session && kind == MessageKind::kClear) state.NoteRow(nullptr, 0);
  HelperKeeper::Reached reached = keeper.Reach(limits);
  if (reached != HelperKeeper::Reached::kHelper) {
    return AnswerWithoutHelper(reached, kind == MessageKind::kClear ? 1 : 0);
  }
  Message request(kind);
  if (kind == MessageKind::kTimer) request.PutInt(KeyState::CapsLockOn() ? 1 : 0);
  int result = 0;
  bool answered = exchange.Call(request, limits, &result);
  if (kind != MessageKind::kTimer) LastResult(kind) = answered ? result : 0;
  return answered ? result : 0;
}

// Without a helper the flag is kept here, as the driver keeps it with no
// display open; waking is what opens the display. The flag is the host's wish,
// set before the call as the driver sets it: a call that fails leaves a helper
// to restart awake, or none while asleep.
int BridgeSession::SetSleep(int flag, CallLimits& limits) {
  if (!exchange.Attached()) {
    if (keeper.GivenUp()) return 0;
    if (flag == state.sleeping || flag != 0) {
      state.sleeping = flag;
      return 1;
    }
    return Wake(limits);
  }
  if (flag && !state.sleeping) state.NoteRow(nullptr, 0);  // going to sleep clears the cells
  state.sleeping = flag;
  Message request(MessageKind::kSleep);
  request.PutInt(flag);
  int result = 0;
  return exchange.Call(request, limits, &result) ? result : 0;
}

// Waking with no helper opens the display in a fresh one: in a session as after
// a lost helper; after one, with its last settings and callback, as the driver
// keeps them; before any, as the driver wakes with none.
int BridgeSession::Wake(CallLimits& limits) {
  if (state.Reopenable()) {
    state.sleeping = 0;
    if (state.session) return AnswerWithoutHelper(keeper.Reach(limits), 1);
    keeper.Reopen(limits, true);
    return 1;
  }
  bool launched = keeper.Launch(limits, true);  // asleep, as the driver is now
  state.sleeping = 0;
  Message wake(MessageKind::kSleep);
  wake.PutInt(0);
  int result = 1;
  return !launched || exchange.Call(wake, limits, &result) ? result : 0;
}
