#include "HelperExchange.h"

#include "../shared/facts/DriverLimits.h"
#include "../shared/log/Log.h"
#include "../shared/log/LogLine.h"

HelperExchange::~HelperExchange() {
  requests.ReleaseKeys();
  helper.StopAtUnload();
}

bool HelperExchange::Attached() {
  if (helper.Running() && !helper.Alive()) {
    if (Log::On()) LogLine().Text("helper gone between calls");
    End();
  }
  return helper.Running();
}

// The count of exchanges is put back as it was, whatever a thread that died
// in a nested one left.
bool HelperExchange::Request(const Message& request, CallBudget& budget, int* result) {
  if (!helper.Running()) return false;
  int was = inProgress++;
  int generation = helper.Generation();
  bool ok = Exchange(request, budget, result);
  inProgress = was;
  // A call made meanwhile replaced the helper: the new one is not this
  // exchange's to end.
  if (!ok && helper.Generation() != generation) return false;
  if (!ok && Log::On()) LogFailure(request, budget);
  if (!ok) End();
  return ok;
}

void HelperExchange::End() {
  requests.ReleaseKeys();
  helper.Stop(0);
}

void HelperExchange::Abandon() {
  inProgress = 0;
  requests.Quiet(false);
  if (Log::On()) LogLine().Text("a host thread ended inside a call, the helper is ended");
  End();
}

namespace {

// What the driver may ask of the host's process during a request.
bool Allowed(const Message& request, MessageKind asked, int chords) {
  switch (asked) {
    case MessageKind::kChord:
      return request.Kind() == MessageKind::kTimer && chords <= DriverLimits::kMostChordsAPoll;
    case MessageKind::kMessageBox:
      return Call::MayShowBox(request);
    default:
      return true;
  }
}

}  // namespace

bool HelperExchange::Exchange(const Message& request, CallBudget& budget, int* result) {
  int generation = helper.Generation();
  if (!helper.Pipe().Send(request, budget.Deadline())) return false;
  Message reply;
  HelperMessage decoded;
  int chords = 0;
  while (helper.Pipe().Receive(&reply, budget.Deadline()) && decoded.Decode(reply)) {
    if (decoded.kind == MessageKind::kResult) {
      *result = decoded.result;
      return true;
    }
    // A read that finds the message there succeeds past the deadline too.
    if (budget.Late()) return false;
    chords += decoded.kind == MessageKind::kChord;
    if (!Allowed(request, decoded.kind, chords) || !Answer(decoded, budget, generation)) {
      return false;
    }
  }
  return false;
}

// The helper waits while the host's callback or a box runs. A second box in
// one call breaks the protocol: the driver never shows one. A call the
// callback made may have ended or replaced the helper.
bool HelperExchange::Answer(const HelperMessage& message, CallBudget& budget, int generation) {
  ULONGLONG since = GetTickCount64();
  int answer = 0;
  switch (message.kind) {
    case MessageKind::kChord:
      requests.RunCallback(message);
      budget.Exclude(since);
      return helper.Generation() == generation && helper.Running() &&
             Reply(MessageKind::kCallbackDone, 0, budget);
    case MessageKind::kInput:
      return requests.Inject(message, &answer) && Reply(MessageKind::kInputDone, answer, budget);
    case MessageKind::kMessageBox:
      if (!budget.TakeBox()) return false;
      answer = requests.ShowBox(message);
      budget.Exclude(since);
      return Reply(MessageKind::kMessageBoxDone, answer, budget);
    default:
      return false;
  }
}

bool HelperExchange::Reply(MessageKind kind, int value, const CallBudget& budget) {
  Message reply(kind);
  reply.PutInt(value);
  return helper.Pipe().Send(reply, budget.Deadline());
}

// Why a call ended its helper: its deadline, the helper gone, or a message the
// protocol does not allow.
void HelperExchange::LogFailure(const Message& request, const CallBudget& budget) {
  LogLine line;
  line.Text("call ").Number(static_cast<long>(request.Kind())).Text(": ");
  if (budget.Late()) {
    line.Text("past its deadline");
  } else {
    line.Text(helper.Alive() ? "the helper broke the protocol" : "the helper ended");
  }
  line.Text(", the helper is ended");
}
