#include "DisplayWatch.h"

#include "../../shared/facts/DriverLimits.h"
#include "../../shared/log/Log.h"
#include "../../shared/log/LogLine.h"

namespace {

// Only an exact "0" turns the watch off: anything else, or no variable, leaves
// it on. The host's last error is left as it was.
bool WatchWanted() {
  DWORD error = GetLastError();
  WCHAR value[4];
  bool off = GetEnvironmentVariableW(L"BRLVELT_WATCH", value, 4) == 1 && value[0] == L'0';
  SetLastError(error);
  return !off;
}

}  // namespace

void DisplayWatch::Start(DWORD now) {
  *this = DisplayWatch();
  on = WatchWanted();
  if (!on && Log::On()) LogLine().Text("display watch off: BRLVELT_WATCH=0");
  Resume(now);
}

void DisplayWatch::Resume(DWORD now) {
  present = true;
  lastAsk = now;
  polled = false;
  gap = false;
  linkLost = false;
  freshStarts = 0;
}

void DisplayWatch::Polled(DWORD now) {
  if (polled && now - lastPoll >= kPcSleptMs) gap = true;
  polled = true;
  lastPoll = now;
}

DisplayWatch::Step DisplayWatch::Next(DWORD now) const {
  if (!on) return kWait;
  if (linkLost && freshStartsOn && now - lostSince >= kLinkLostMs &&
      (freshStarts == 0 || now - lastFreshStart >= FreshStartInterval(now))) {
    return kFreshStart;
  }
  return gap || now - lastAsk >= interval ? kAsk : kWait;
}

DWORD DisplayWatch::FreshStartInterval(DWORD now) const {
  return now - lostSince >= kPatientAfterMs ? kPatientMs : kFreshStartMs;
}

DisplayWatch::Action DisplayWatch::Answered(int answer, DWORD askMs, DWORD now, int hostCells) {
  lastAsk = now;
  if (askMs > kSlowAskMs) Slow(askMs);
  bool afterGap = gap;
  gap = false;
  if (answer != 0) {
    linkLost = false;
  } else if (!linkLost) {
    linkLost = true;
    lostSince = now;
    freshStarts = 0;
  }
  if (answer <= 0) return present ? Left(answer) : kNothing;
  if (!present) return Back(answer, hostCells);
  if (!afterGap) return kNothing;
  if (Log::On()) LogLine().Text("display answered after a pause of the PC: row sent again");
  return kSendRow;
}

// A slow library is asked less often, up to the ceiling; said once a session.
void DisplayWatch::Slow(DWORD askMs) {
  if (interval >= kLongestAskMs) return;
  bool first = interval == kAskMs;
  interval = interval * 2 < kLongestAskMs ? interval * 2 : kLongestAskMs;
  if (first && Log::On()) {
    LogLine()
        .Text("LongueurBarette took ")
        .Number(static_cast<long>(askMs))
        .Text(" ms: asked less often, up to every ")
        .Number(static_cast<long>(kLongestAskMs))
        .Text(" ms");
  }
}

DisplayWatch::Action DisplayWatch::Left(int answer) {
  present = false;
  if (Log::On()) {
    LogLine().Text("display left: LongueurBarette -> ").Number(answer).Text(", keys let go");
  }
  return kLetGo;
}

// The host keeps the count BrlInit gave it: the exports cannot tell it another.
DisplayWatch::Action DisplayWatch::Back(int answer, int hostCells) {
  present = true;
  if (Log::On()) {
    LogLine().Text("display back: LongueurBarette -> ").Number(answer).Text(", row sent");
    int usable = answer < DriverLimits::kCells ? answer : DriverLimits::kCells;
    if (usable != hostCells) {
      LogLine()
          .Text("display back with ")
          .Number(answer)
          .Text(" cells: the host keeps ")
          .Number(hostCells);
    }
  }
  return kSendRow;
}

void DisplayWatch::FreshStarted(DWORD tookMs, DWORD now) {
  ++freshStarts;
  lastFreshStart = now;
  if (Log::On()) LogLine().Text("fresh start took ").Number(static_cast<long>(tookMs)).Text(" ms");
  if (tookMs <= kSlowFreshStartMs) return;
  freshStartsOn = false;
  if (Log::On()) {
    LogLine()
        .Text("fresh starts off for this session: one took over ")
        .Number(static_cast<long>(kSlowFreshStartMs))
        .Text(" ms");
  }
}
