#include "BridgeSession.h"

#include <string.h>

#include "../keys/KeyState.h"

int BridgeSession::Init(const char* settings, KeyCallback callback) {
  return Through(CallDeadline::kOpenMs,
                 [&](CallDeadline& deadline) { return Open(settings, callback, deadline); });
}

int BridgeSession::Terminate() {
  return Through(CallDeadline::kCallMs, [&](CallDeadline& deadline) { return Close(deadline); });
}

int BridgeSession::Display(const unsigned char* cells, int count) {
  return Through(CallDeadline::kCallMs, [&](CallDeadline& deadline) {
    return Show(MessageKind::kDisplay, cells, count, deadline);
  });
}

int BridgeSession::DisplayStatus(const unsigned char* cells, int count) {
  return Through(CallDeadline::kCallMs, [&](CallDeadline& deadline) {
    return Show(MessageKind::kDisplayStatus, cells, count, deadline);
  });
}

int BridgeSession::Clear() {
  return Through(CallDeadline::kCallMs,
                 [&](CallDeadline& deadline) { return Forward(MessageKind::kClear, deadline); });
}

int BridgeSession::Refresh() {
  return Through(CallDeadline::kCallMs,
                 [&](CallDeadline& deadline) { return Forward(MessageKind::kRefresh, deadline); });
}

int BridgeSession::Sleep(int flag) {
  return Through(CallDeadline::kOpenMs,
                 [&](CallDeadline& deadline) { return Rest(flag, deadline); });
}

int BridgeSession::Timer() {
  return Through(CallDeadline::kCallMs,
                 [&](CallDeadline& deadline) { return Forward(MessageKind::kTimer, deadline); });
}

int BridgeSession::Ping() {
  return Through(CallDeadline::kCallMs, [&](CallDeadline& deadline) {
    int result = 0;
    return exchange.Attached() && exchange.Call(Message(MessageKind::kPing), deadline, &result)
               ? result
               : 0;
  });
}

// Settings the driver refuses change nothing in it, and start nothing here.
int BridgeSession::Open(const char* settings, KeyCallback callback, CallDeadline& deadline) {
  int length = BrailleDisplay::SettingsLength(settings);
  if (length < 0) return 0;
  keeper.Reset();
  if (!exchange.Attached()) {
    state.session = false;
    if (!keeper.Launch(deadline, true)) return 0;
  }
  memcpy(state.settings, settings, length + 1);
  state.callback = callback;
  int result = 0;
  if (exchange.Call(state.InitRequest(), deadline, &result) && SessionState::Plausible(result)) {
    state.session = state.session || result != 0;
    return result;
  }
  exchange.End();
  keeper.ReportNoAnswer(deadline);
  return 0;
}

// The driver clears its cells as it closes the display.
int BridgeSession::Close(CallDeadline& deadline) {
  state.session = false;
  state.NoteRow(nullptr, 0);
  int result = 0;
  return exchange.Attached() && exchange.Call(Message(MessageKind::kTerminate), deadline, &result)
             ? result
             : 0;
}

// The cells the driver may read: as many as the host gave, at most a row. The
// row of a session is kept, helper or not, to be sent again.
int BridgeSession::Show(MessageKind kind, const unsigned char* cells, int count,
                        CallDeadline& deadline) {
  if (state.session && kind == MessageKind::kDisplay) state.NoteRow(cells, count);
  HelperKeeper::Reached reached = keeper.Reach(deadline);
  if (reached != HelperKeeper::Reached::kHelper) return Offline(reached, 1);
  Message request(kind);
  request.PutInt(count);
  request.PutInt(cells != nullptr);
  if (cells && count > 0) {
    request.PutBytes(cells, count < BrailleDisplay::kCells ? count : BrailleDisplay::kCells);
  }
  int result = 0;
  return exchange.Call(request, deadline, &result) ? result : 0;
}

// Clear, Refresh and Timer: answered as with no display open when no helper
// can be had. Timer carries Caps Lock as the host's thread reads it: the
// helper's own thread never receives keyboard input.
int BridgeSession::Forward(MessageKind kind, CallDeadline& deadline) {
  if (state.session && kind == MessageKind::kClear) state.NoteRow(nullptr, 0);
  HelperKeeper::Reached reached = keeper.Reach(deadline);
  if (reached != HelperKeeper::Reached::kHelper) {
    return Offline(reached, kind == MessageKind::kClear ? 1 : 0);
  }
  Message request(kind);
  if (kind == MessageKind::kTimer) request.PutInt(KeyState::CapsLockOn() ? 1 : 0);
  int result = 0;
  return exchange.Call(request, deadline, &result) ? result : 0;
}

// Without a helper the flag is kept here, as the driver keeps it with no
// display open; waking is what opens the display. The flag is the host's wish,
// set before the call as the driver sets it: a call that fails leaves a helper
// to restart awake, or none while asleep.
int BridgeSession::Rest(int flag, CallDeadline& deadline) {
  if (!exchange.Attached()) {
    if (keeper.GivenUp()) return 0;
    if (flag == state.sleeping || flag != 0) {
      state.sleeping = flag;
      return 1;
    }
    return Wake(deadline);
  }
  if (flag && !state.sleeping) state.NoteRow(nullptr, 0);  // going to sleep clears the cells
  state.sleeping = flag;
  Message request(MessageKind::kSleep);
  request.PutInt(flag);
  int result = 0;
  return exchange.Call(request, deadline, &result) ? result : 0;
}

// Waking with no helper opens the display in a fresh one: in a session as after
// a lost helper; after one, with its last settings and callback, as the driver
// keeps them; before any, as the driver wakes with none.
int BridgeSession::Wake(CallDeadline& deadline) {
  if (state.Reopenable()) {
    state.sleeping = 0;
    if (state.session) return Offline(keeper.Reach(deadline), 1);
    keeper.Reopen(deadline, true);
    return 1;
  }
  bool launched = keeper.Launch(deadline, true);  // asleep, as the driver is now
  state.sleeping = 0;
  Message wake(MessageKind::kSleep);
  wake.PutInt(0);
  int result = 1;
  return !launched || exchange.Call(wake, deadline, &result) ? result : 0;
}
