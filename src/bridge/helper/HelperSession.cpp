#include "HelperSession.h"

#include <string.h>

#include "../../shared/facts/InstalledFiles.h"
#include "CallRedirects.h"

HelperSession::HelperSession() : dispatch(driver, CallRedirects::Chord) {}

HelperSession::~HelperSession() {
  CallRedirects::Clear();
}

bool HelperSession::Connect(const char* pipe) {
  return channel.Open(pipe);
}

int HelperSession::Run() {
  if (!Start()) {
    char path[sizeof driverPath];
    if (!WideCharToMultiByte(CP_UTF8, 0, driverPath, -1, path, sizeof path, nullptr, nullptr)) {
      path[0] = 0;
    }
    Message failed(MessageKind::kFailed);
    failed.PutString(path);
    channel.Send(failed, Channel::kNever);
    return 1;
  }
  Message request(MessageKind::kReady);
  if (!channel.Send(request, Channel::kNever)) return 1;
  RequestDecoder decoded;
  while (!broken && channel.Receive(&request, Channel::kNever)) {
    if (!decoded.Decode(request) || !Serve(decoded)) return 1;
  }
  return 0;
}

// The driver beside the helper's own file, with its keystrokes and message
// boxes sent to the bridge.
bool HelperSession::Start() {
  return InstalledFiles::Beside(nullptr, InstalledFiles::kDriver, driverPath, MAX_PATH * 4) &&
         driver.Load(driverPath) && CallRedirects::Apply(driver.Module(), this);
}

bool HelperSession::Serve(const RequestDecoder& request) {
  int result = 0;
  if (request.kind == MessageKind::kTimer) CallRedirects::CarryCapsLock(request.capsLock);
  if (!dispatch.Execute(request, &result)) return false;
  Message reply(MessageKind::kResult);
  reply.PutInt(result);
  return channel.Send(reply, Channel::kNever);
}

void HelperSession::Chord(int code, int param) {
  Message chord(MessageKind::kChord);
  chord.PutInt(code);
  chord.PutInt(param);
  int ignored = 0;
  Ask(chord, MessageKind::kCallbackDone, &ignored);
}

UINT HelperSession::Input(InputCall call, UINT count, const INPUT* inputs) {
  UINT sent = 0;
  while (sent < count) {
    const UINT most = Message::kMaxInputs;
    UINT n = count - sent < most ? count - sent : most;
    UINT done = SendInputs(call, n, inputs + sent);
    if (done < n) return sent + done;
    sent += n;
  }
  return sent;
}

// Keyboard input only: the driver sends nothing else.
UINT HelperSession::SendInputs(InputCall call, UINT count, const INPUT* inputs) {
  Message input(MessageKind::kInput);
  input.PutInt(call);
  input.PutInt(static_cast<int32_t>(count));
  for (UINT i = 0; i < count; ++i) {
    if (inputs[i].type != INPUT_KEYBOARD) return i;
    input.PutInt(inputs[i].ki.wVk);
    input.PutInt(inputs[i].ki.wScan);
    input.PutInt(static_cast<int32_t>(inputs[i].ki.dwFlags));
  }
  int done = 0;
  return Ask(input, MessageKind::kInputDone, &done) ? static_cast<UINT>(done) : 0;
}

int HelperSession::ShowMessageBox(const char* text, const char* caption, UINT type) {
  char shortText[kTextSize] = {}, shortCaption[kTextSize / 4] = {};
  strncpy(shortText, text ? text : "", sizeof shortText - 1);
  strncpy(shortCaption, caption ? caption : "", sizeof shortCaption - 1);
  Message box(MessageKind::kMessageBox);
  box.PutInt(static_cast<int32_t>(type));
  box.PutString(shortText);
  box.PutString(shortCaption);
  int result = 0;
  return Ask(box, MessageKind::kMessageBoxDone, &result) ? result : 0;
}

// Sends a question and serves the bridge's requests until its answer comes: a
// host callback may call back into the driver before it returns.
bool HelperSession::Ask(Message& question, MessageKind answerKind, int* answer) {
  if (broken || !channel.Send(question, Channel::kNever)) {
    broken = true;
    return false;
  }
  Message reply;
  RequestDecoder decoded;
  while (channel.Receive(&reply, Channel::kNever) && decoded.Decode(reply)) {
    if (decoded.kind == answerKind) {
      *answer = decoded.answer;
      return true;
    }
    if (!Serve(decoded)) break;
  }
  broken = true;
  return false;
}
