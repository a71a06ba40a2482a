// The helper's life in a session and its restart policy: started for BrlInit
// or a wake and greeted; once lost, restarted by the next call that needs the
// driver, with no box of its own, reopening the display as it was, at most
// kMostRestarts times in any kRestartWindowMs. A restart whose helper fails or whose
// display does not open counts as failed. A series of failed restarts shows
// the user at most one box: the first the driver shows, or else, past the
// limit, one saying the driver is lost until the next BrlInit.
#pragma once

#include "CallBudget.h"
#include "CallOrder.h"
#include "HelperExchange.h"
#include "SessionState.h"

class HelperKeeper {
 public:
  // How a call that needs the driver reached it: a helper runs; none, to be
  // answered as with no display open; or its restart failed (answered 0).
  enum class Reached { kHelper, kNoDisplay, kFailed };
  static const int kMostRestarts = 3;
  static const ULONGLONG kRestartWindowMs = 60000;

  HelperKeeper(HelperExchange& exchange, CallOrder& order, const SessionState& state)
      : exchange(exchange), order(order), state(state) {}

  // A new BrlInit: restarts allowed again.
  void Reset();
  bool GivenUp() const { return givenUp; }
  // The running helper, or a restarted one in a session whose helper was lost.
  Reached Reach(CallBudget& budget);
  // Starts a helper and waits for it to load the driver, giving it the sleep
  // flag the driver had; when told to, says why it cannot.
  bool Launch(CallBudget& budget, bool report);
  // Launches a helper that opens the display with the last settings and
  // callback, and shows the row again. kNoDisplay, with the helper ended, when the
  // driver could not open the display.
  Reached Reopen(CallBudget& budget, bool report);
  // The box of a helper that failed, naming it.
  void ReportNoAnswer(CallBudget& budget);

 private:
  bool Greeted(CallBudget& budget, bool report);
  Reached Revive(CallBudget& budget);
  // True, and counted, when one more restart now is allowed.
  bool AllowRestart();
  void Report(const wchar_t* text, const wchar_t* file, const wchar_t* caption, CallBudget& budget);

  HelperExchange& exchange;
  CallOrder& order;
  const SessionState& state;
  ULONGLONG restarts[kMostRestarts] = {};  // the latest, the oldest first
  int restartCount = 0;
  bool givenUp = false;      // out of restarts until the next BrlInit
  bool seriesBoxed = false;  // the failed restarts since the last success showed a box
};
