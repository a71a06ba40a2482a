#include "HelperExchange.h"

#include "../log/Log.h"
#include "../log/LogLine.h"

bool HelperExchange::Attached() {
  if (helper.Running() && !helper.Alive()) {
    if (Log::On()) LogLine().Text("helper gone between calls");
    End();
  }
  return helper.Running();
}

bool HelperExchange::Call(const Message& request, CallDeadline& deadline, int* result) {
  if (!helper.Running()) return false;
  ++open;
  bool ok = Exchange(request, deadline, result);
  --open;
  if (!ok && Log::On()) LogFailure(request, deadline);
  if (!ok) End();
  return ok;
}

void HelperExchange::End() {
  keys.ReleaseAll();
  helper.Stop(0);
}

namespace {

// 80 bytes a poll complete at most 27 key packets, each reporting one chord
// at most.
const int kMostChords = 27;

// What the driver may ask of the host's process during a request.
bool Allowed(MessageKind request, MessageKind asked, int chords) {
  switch (asked) {
    case MessageKind::kChord:
      return request == MessageKind::kTimer && chords <= kMostChords;
    case MessageKind::kMessageBox:
      return request == MessageKind::kInit || request == MessageKind::kSleep;
    default:
      return true;
  }
}

}  // namespace

bool HelperExchange::Exchange(const Message& request, CallDeadline& deadline, int* result) {
  if (!helper.Pipe().Send(request, deadline.At())) return false;
  Message reply;
  HelperMessage decoded;
  int chords = 0;
  while (helper.Pipe().Receive(&reply, deadline.At()) && decoded.Decode(reply)) {
    if (decoded.kind == MessageKind::kResult) {
      *result = decoded.result;
      return true;
    }
    // A read that finds the message there succeeds past the deadline too.
    if (GetTickCount64() >= deadline.At()) return false;
    chords += decoded.kind == MessageKind::kChord;
    if (!Allowed(request.Kind(), decoded.kind, chords) || !Answer(decoded, deadline)) return false;
  }
  return false;
}

// The helper waits while the host's callback or a box runs; their time is the
// host's and the user's, not the helper's. A second box in one call breaks the
// protocol: the driver never shows one.
bool HelperExchange::Answer(const HelperMessage& message, CallDeadline& deadline) {
  ULONGLONG since = GetTickCount64();
  int answer = 0;
  switch (message.kind) {
    case MessageKind::kChord:
      deadline.Exclude(since, HostCode(message, &answer));
      return Reply(MessageKind::kCallbackDone, 0, deadline);
    case MessageKind::kInput:
      return Inject(message, &answer) && Reply(MessageKind::kInputDone, answer, deadline);
    case MessageKind::kMessageBox:
      if (!deadline.TakeBox()) return false;
      HostCode(message, &answer);  // the user's time, whatever runs meanwhile
      deadline.Exclude(since, 0);
      return Reply(MessageKind::kMessageBoxDone, answer, deadline);
    default:
      return false;
  }
}

// Runs the callback or shows the box; returns the helper's time in the calls
// made meanwhile, which the host does not own.
ULONGLONG HelperExchange::HostCode(const HelperMessage& message, int* answer) {
  ULONGLONG outer = nestedMs;
  nestedMs = 0;
  if (message.kind == MessageKind::kChord && state.callback) {
    CallGate::HostCode host(gate);
    state.callback(message.code, message.param);
  } else if (message.kind == MessageKind::kMessageBox && quiet) {
    *answer = IDOK;
  } else if (message.kind == MessageKind::kMessageBox) {
    CallGate::Box box(gate);
    *answer = MessageBoxA(nullptr, message.text, message.caption, message.boxType);
    ++boxesShown;
  }
  ULONGLONG inside = nestedMs;
  nestedMs = outer;
  return inside;
}

bool HelperExchange::Reply(MessageKind kind, int value, const CallDeadline& deadline) {
  Message reply(kind);
  reply.PutInt(value);
  return helper.Pipe().Send(reply, deadline.At());
}

// The driver's keystrokes, through the call it made, from the host's process,
// each noted while it is down.
bool HelperExchange::Inject(const HelperMessage& message, int* done) {
  const ForwardedKey* forwarded = message.inputs;
  if (!keys.Fits(message.inputCount)) return false;
  if (message.call == kKeybdEvent) {
    keybd_event(static_cast<BYTE>(forwarded->vk), static_cast<BYTE>(forwarded->scan),
                forwarded->flags, 0);
    keys.Note(kKeybdEvent, *forwarded);
    *done = 0;
    return true;
  }
  INPUT inputs[Message::kMaxInputs] = {};
  for (int i = 0; i < message.inputCount; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = forwarded[i].vk;
    inputs[i].ki.wScan = forwarded[i].scan;
    inputs[i].ki.dwFlags = forwarded[i].flags;
  }
  *done = static_cast<int>(SendInput(message.inputCount, inputs, sizeof(INPUT)));
  for (int i = 0; i < *done && i < message.inputCount; ++i) keys.Note(kSendInput, forwarded[i]);
  return true;
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
