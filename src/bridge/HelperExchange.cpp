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

bool HelperExchange::Exchange(const Message& request, CallDeadline& deadline, int* result) {
  if (!helper.Pipe().Send(request, deadline.At())) return false;
  Message reply;
  HelperMessage decoded;
  while (helper.Pipe().Receive(&reply, deadline.At()) && decoded.Decode(reply)) {
    if (decoded.kind == MessageKind::kResult) {
      *result = decoded.result;
      return true;
    }
    if (!Answer(decoded, deadline)) return false;
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
      if (state.callback) {
        CallGate::HostCode host(gate);
        state.callback(message.code, message.param);
      }
      deadline.Exclude(since);
      return Reply(MessageKind::kCallbackDone, 0, deadline);
    case MessageKind::kInput:
      return Inject(message, &answer) && Reply(MessageKind::kInputDone, answer, deadline);
    case MessageKind::kMessageBox:
      if (!deadline.TakeBox()) return false;
      {
        CallGate::Box box(gate);
        answer = MessageBoxA(nullptr, message.text, message.caption, message.boxType);
      }
      deadline.Exclude(since);
      return Reply(MessageKind::kMessageBoxDone, answer, deadline);
    default:
      return false;
  }
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
