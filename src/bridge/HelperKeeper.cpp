#include "HelperKeeper.h"

#include <stdio.h>

#include "../shared/log/Log.h"
#include "../shared/log/LogLine.h"

namespace {

const wchar_t kCannotLoad[] = L"Impossible de charger le fichier ";
const wchar_t kLoadCaption[] = L"Erreur de chargement";
const wchar_t kNoAnswer[] = L"Erreur de communication avec le fichier ";
const wchar_t kNoAnswerCaption[] = L"Erreur";

}  // namespace

void HelperKeeper::Reset() {
  givenUp = false;
  seriesBoxed = false;
  restarts.Reset();
}

HelperKeeper::Reached HelperKeeper::Reach(CallDeadline& deadline) {
  return exchange.Attached() ? Reached::kHelper : Revive(deadline);
}

// Never inside an exchange: the helper it would replace is waiting for it.
bool HelperKeeper::Launch(CallDeadline& deadline, bool report) {
  if (exchange.Open() > 0) return false;
  deadline.Widen(CallDeadline::kStartMs);
  HelperProcess& helper = exchange.Helper();
  HelperProcess::Started started = helper.Start();
  if (started != HelperProcess::Started::kYes) {
    if (report && started == HelperProcess::Started::kCannotRun) {
      Report(kCannotLoad, helper.Path(), kLoadCaption, deadline);
    } else if (report) {
      ReportNoAnswer(deadline);
    }
    return false;
  }
  if (!Greeted(deadline, report)) return false;
  Message asleep(MessageKind::kSleep);
  asleep.PutInt(state.sleeping);
  int result = 0;
  if (state.sleeping == 0 || exchange.Call(asleep, deadline, &result)) return true;
  if (report) ReportNoAnswer(deadline);
  return false;
}

bool HelperKeeper::Greeted(CallDeadline& deadline, bool report) {
  HelperProcess& helper = exchange.Helper();
  Message first;
  HelperMessage decoded;
  if (helper.Connect(deadline.At()) && helper.Pipe().Receive(&first, deadline.At()) &&
      decoded.Decode(first)) {
    if (decoded.kind == MessageKind::kReady) {
      if (Log::On()) LogLine().Text("helper ready, the driver loaded");
      return true;
    }
    if (decoded.kind == MessageKind::kFailed) {
      if (Log::On()) LogLine().Text("helper could not load ").Quoted(decoded.text);
      wchar_t file[HelperProcess::kPathSize];
      if (!MultiByteToWideChar(CP_UTF8, 0, decoded.text, -1, file, HelperProcess::kPathSize)) {
        file[0] = 0;
      }
      exchange.End();
      if (report) Report(kCannotLoad, file, kLoadCaption, deadline);
      return false;
    }
  }
  if (Log::On()) LogLine().Text("helper did not greet");
  exchange.End();
  if (report) ReportNoAnswer(deadline);
  return false;
}

HelperKeeper::Reached HelperKeeper::Revive(CallDeadline& deadline) {
  if (!state.session || state.sleeping || givenUp || exchange.Open() > 0) return Reached::kNoDisplay;
  if (!restarts.Allow(GetTickCount64())) {
    if (Log::On()) LogLine().Text("helper lost too often: no more restarts until BrlInit");
    givenUp = true;
    if (!seriesBoxed) ReportNoAnswer(deadline);
    return Reached::kFailed;
  }
  if (Log::On()) LogLine().Text("helper lost: restarting it to reopen the display");
  int shown = exchange.Requests().BoxesShown();
  exchange.Requests().Quiet(seriesBoxed);
  Reached reached = Reopen(deadline, false);
  exchange.Requests().Quiet(false);
  seriesBoxed =
      reached != Reached::kHelper && (seriesBoxed || exchange.Requests().BoxesShown() != shown);
  return reached;
}

// The display has no status cells to restore. The row is read once the display
// is open: a nested call during a message box of the open may have changed it.
HelperKeeper::Reached HelperKeeper::Reopen(CallDeadline& deadline, bool report) {
  int opened = 0, shown = 0;
  if (!Launch(deadline, report) || !exchange.Call(state.InitRequest(), deadline, &opened)) {
    return Reached::kFailed;
  }
  if (opened == 0 || !SessionState::Plausible(opened)) {
    exchange.End();
    return opened == 0 ? Reached::kNoDisplay : Reached::kFailed;
  }
  bool shownAgain =
      exchange.Call(state.RowRequest(), deadline, &shown) &&
      (!state.RowBlank() || exchange.Call(Message(MessageKind::kRefresh), deadline, &shown));
  return shownAgain ? Reached::kHelper : Reached::kFailed;
}

void HelperKeeper::ReportNoAnswer(CallDeadline& deadline) {
  Report(kNoAnswer, exchange.Helper().Path(), kNoAnswerCaption, deadline);
}

// The box is the host's own code: another call may come in nested while it is
// up. A call that showed the driver's box shows none of its own.
void HelperKeeper::Report(const wchar_t* text, const wchar_t* file, const wchar_t* caption,
                          CallDeadline& deadline) {
  if (!deadline.TakeBox()) return;
  wchar_t message[HelperProcess::kPathSize + 64];
  swprintf(message, HelperProcess::kPathSize + 64, L"%ls%ls", text, file);
  if (Log::On()) LogLine().Text("box ").Quoted(message, HelperProcess::kPathSize + 64);
  CallGate::Box box(gate);
  MessageBoxW(nullptr, message, caption, MB_OK);
}
