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
  restartCount = 0;
}

HelperKeeper::Reached HelperKeeper::Reach(CallBudget& budget) {
  return exchange.Attached() ? Reached::kHelper : Revive(budget);
}

// Never inside an exchange: the helper it would replace is waiting for it.
bool HelperKeeper::Launch(CallBudget& budget, bool report) {
  if (exchange.InProgress() > 0) return false;
  budget.Widen(Call::kStartMs);
  HelperProcess& helper = exchange.Helper();
  HelperProcess::Started started = helper.Start();
  if (started != HelperProcess::Started::kYes) {
    if (report && started == HelperProcess::Started::kCannotRun) {
      Report(kCannotLoad, helper.Path(), kLoadCaption, budget);
    } else if (report) {
      ReportNoAnswer(budget);
    }
    return false;
  }
  if (!Greeted(budget, report)) return false;
  Message asleep(MessageKind::kSleep);
  asleep.PutInt(state.sleeping);
  int result = 0;
  if (state.sleeping == 0 || exchange.Request(asleep, budget, &result)) return true;
  if (report) ReportNoAnswer(budget);
  return false;
}

bool HelperKeeper::Greeted(CallBudget& budget, bool report) {
  HelperProcess& helper = exchange.Helper();
  Message first;
  HelperMessage decoded;
  if (helper.Connect(budget.Deadline()) && helper.Pipe().Receive(&first, budget.Deadline()) &&
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
      if (report) Report(kCannotLoad, file, kLoadCaption, budget);
      return false;
    }
  }
  if (Log::On()) LogLine().Text("helper did not greet");
  exchange.End();
  if (report) ReportNoAnswer(budget);
  return false;
}

HelperKeeper::Reached HelperKeeper::Revive(CallBudget& budget) {
  if (!state.session || state.sleeping || givenUp || exchange.InProgress() > 0) {
    return Reached::kNoDisplay;
  }
  if (!AllowRestart()) {
    if (Log::On()) LogLine().Text("helper lost too often: no more restarts until BrlInit");
    givenUp = true;
    if (!seriesBoxed) ReportNoAnswer(budget);
    return Reached::kFailed;
  }
  if (Log::On()) LogLine().Text("helper lost: restarting it to reopen the display");
  int shown = exchange.Requests().BoxesShown();
  exchange.Requests().Quiet(seriesBoxed);
  Reached reached = Reopen(budget, false);
  exchange.Requests().Quiet(false);
  seriesBoxed =
      reached != Reached::kHelper && (seriesBoxed || exchange.Requests().BoxesShown() != shown);
  return reached;
}

bool HelperKeeper::AllowRestart() {
  ULONGLONG now = GetTickCount64();
  if (restartCount == kMostRestarts) {
    if (now - restarts[0] < kRestartWindowMs) return false;
    for (int i = 1; i < kMostRestarts; ++i) restarts[i - 1] = restarts[i];
    --restartCount;
  }
  restarts[restartCount++] = now;
  return true;
}

// The display has no status cells to restore. The row is read once the display
// is open: a nested call during a message box of the open may have changed it.
HelperKeeper::Reached HelperKeeper::Reopen(CallBudget& budget, bool report) {
  int initResult = 0, shown = 0;
  if (!Launch(budget, report) || !exchange.Request(state.InitRequest(), budget, &initResult)) {
    return Reached::kFailed;
  }
  if (initResult == 0 || !SessionState::Plausible(initResult)) {
    exchange.End();
    return initResult == 0 ? Reached::kNoDisplay : Reached::kFailed;
  }
  bool shownAgain =
      exchange.Request(state.RowRequest(), budget, &shown) &&
      (!state.RowBlank() || exchange.Request(Message(MessageKind::kRefresh), budget, &shown));
  return shownAgain ? Reached::kHelper : Reached::kFailed;
}

void HelperKeeper::ReportNoAnswer(CallBudget& budget) {
  Report(kNoAnswer, exchange.Helper().Path(), kNoAnswerCaption, budget);
}

// The box is the host's own code: another call may come in nested while it is
// up. A call that showed the driver's box shows none of its own.
void HelperKeeper::Report(const wchar_t* text, const wchar_t* file, const wchar_t* caption,
                          CallBudget& budget) {
  if (!budget.TakeBox()) return;
  wchar_t message[HelperProcess::kPathSize + 64];
  swprintf(message, HelperProcess::kPathSize + 64, L"%ls%ls", text, file);
  if (Log::On()) LogLine().Text("box ").Quoted(message, HelperProcess::kPathSize + 64);
  CallOrder::HostCode box(order, true);
  MessageBoxW(nullptr, message, caption, MB_OK);
}
