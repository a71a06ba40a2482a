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
bool HelperExchange::Call(const Message& request, CallLimits& limits, int* result) {
  if (!helper.Running()) return false;
  int was = open++;
  int generation = helper.Generation();
  bool ok = Exchange(request, limits, result);
  open = was;
  // A call made meanwhile replaced the helper: the new one is not this
  // exchange's to end.
  if (!ok && helper.Generation() != generation) return false;
  if (!ok && Log::On()) LogFailure(request, limits.deadline);
  if (!ok) End();
  return ok;
}

void HelperExchange::End() {
  requests.ReleaseKeys();
  helper.Stop(0);
}

void HelperExchange::Abandon(bool outermost) {
  if (outermost) {
    open = 0;
    requests.Quiet(false);
  }
  if (Log::On()) LogLine().Text("a host thread ended inside a call, the helper is ended");
  End();
}

namespace {

// What the driver may ask of the host's process during a request.
bool Allowed(MessageKind request, MessageKind asked, int chords) {
  switch (asked) {
    case MessageKind::kChord:
      return request == MessageKind::kTimer && chords <= DriverLimits::kMostChordsAPoll;
    case MessageKind::kMessageBox:
      return request == MessageKind::kInit || request == MessageKind::kSleep;
    default:
      return true;
  }
}

}  // namespace

bool HelperExchange::Exchange(const Message& request, CallLimits& limits, int* result) {
  int generation = helper.Generation();
  if (!helper.Pipe().Send(request, limits.deadline.At())) return false;
  Message reply;
  HelperMessage decoded;
  int chords = 0;
  while (helper.Pipe().Receive(&reply, limits.deadline.At()) && decoded.Decode(reply)) {
    if (decoded.kind == MessageKind::kResult) {
      *result = decoded.result;
      return true;
    }
    // A read that finds the message there succeeds past the deadline too.
    if (GetTickCount64() >= limits.deadline.At()) return false;
    chords += decoded.kind == MessageKind::kChord;
    if (!Allowed(request.Kind(), decoded.kind, chords) || !Answer(decoded, limits, generation)) {
      return false;
    }
  }
  return false;
}

// The helper waits while the host's callback or a box runs. A second box in
// one call breaks the protocol: the driver never shows one. A host thread
// that died in a call made from the callback leaves the helper in the middle
// of it; a call the callback let in may have ended or replaced the helper.
bool HelperExchange::Answer(const HelperMessage& message, CallLimits& limits, int generation) {
  ULONGLONG since = GetTickCount64();
  int answer = 0;
  switch (message.kind) {
    case MessageKind::kChord:
      requests.RunCallback(message);
      limits.deadline.Exclude(since);
      if (gate.TakeAbandoned()) {
        Abandon(false);
        return false;
      }
      return helper.Generation() == generation && helper.Running() &&
             Reply(MessageKind::kCallbackDone, 0, limits.deadline);
    case MessageKind::kInput:
      return requests.Inject(message, &answer) &&
             Reply(MessageKind::kInputDone, answer, limits.deadline);
    case MessageKind::kMessageBox:
      if (!limits.box.Take()) return false;
      answer = requests.ShowBox(message);
      limits.deadline.Exclude(since);
      return Reply(MessageKind::kMessageBoxDone, answer, limits.deadline);
    default:
      return false;
  }
}

bool HelperExchange::Reply(MessageKind kind, int value, const CallDeadline& deadline) {
  Message reply(kind);
  reply.PutInt(value);
  return helper.Pipe().Send(reply, deadline.At());
}

// Why a call ended its helper: its deadline, the helper gone, or a message the
// protocol does not allow.
void HelperExchange::LogFailure(const Message& request, const CallDeadline& deadline) {
  LogLine line;
  line.Text("call ").Number(static_cast<long>(request.Kind())).Text(": ");
  if (GetTickCount64() >= deadline.At()) {
    line.Text("past its deadline");
  } else {
    line.Text(helper.Alive() ? "the helper broke the protocol" : "the helper ended");
  }
  line.Text(", the helper is ended");
}
