#include "HelperSession.h"

#include <string.h>

#include "../display/BrailleDisplay.h"
#include "ImportPatch.h"

namespace {

HelperSession* session = nullptr;

int BRL_CALLBACK ForwardChord(int code, int param) {
  if (session) session->Chord(code, param);
  return 0;
}

VOID WINAPI ForwardKeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = scan;
  input.ki.dwFlags = flags;
  if (session) session->Input(kKeybdEvent, 1, &input);
}

UINT WINAPI ForwardSendInput(UINT count, LPINPUT inputs, int size) {
  if (!inputs || size != static_cast<int>(sizeof(INPUT))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return session ? session->Input(kSendInput, count, inputs) : 0;
}

int WINAPI ForwardMessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  return session ? session->ShowMessageBox(text, caption, type) : 0;
}

}  // namespace

HelperSession::HelperSession(HANDLE pipe) {
  channel.Attach(pipe, false);
  session = this;
}

HelperSession::~HelperSession() {
  session = nullptr;
}

int HelperSession::Run() {
  if (!Start()) {
    char path[sizeof driverPath];
    if (!WideCharToMultiByte(CP_UTF8, 0, driverPath, -1, path, sizeof path, nullptr, nullptr)) {
      path[0] = 0;
    }
    Message failed(MessageKind::kFailed);
    failed.PutString(path);
    channel.Send(failed, INFINITE);
    return 1;
  }
  Message request(MessageKind::kReady);
  if (!channel.Send(request, INFINITE)) return 1;
  while (!broken && channel.Receive(&request, INFINITE)) {
    if (!Serve(request)) return 1;
  }
  return 0;
}

// The driver beside the helper's own file, with its keystrokes and message
// boxes sent to the bridge.
bool HelperSession::Start() {
  DWORD length = GetModuleFileNameW(nullptr, driverPath, MAX_PATH * 4);
  if (length == 0 || length >= MAX_PATH * 4 - 16) return false;
  wchar_t* name = wcsrchr(driverPath, L'\\');
  if (!name) return false;
  wcscpy(name + 1, L"brlvelt.dll");
  return driver.Load(driverPath) && Redirect();
}

bool HelperSession::Redirect() {
  HMODULE module = driver.Module();
  return ImportPatch::Apply(module, "user32.dll", "keybd_event",
                            reinterpret_cast<void*>(ForwardKeybdEvent)) &&
         ImportPatch::Apply(module, "user32.dll", "SendInput",
                            reinterpret_cast<void*>(ForwardSendInput)) &&
         ImportPatch::Apply(module, "user32.dll", "MessageBoxA",
                            reinterpret_cast<void*>(ForwardMessageBoxA));
}

bool HelperSession::Serve(Message& request) {
  int result = 0;
  if (!Execute(request, &result)) return false;
  Message reply(MessageKind::kResult);
  reply.PutInt(result);
  return channel.Send(reply, INFINITE);
}

bool HelperSession::Execute(Message& request, int* result) {
  int32_t flag = 0;
  switch (request.Kind()) {
    case MessageKind::kInit:
      return Init(request, result);
    case MessageKind::kDisplay:
    case MessageKind::kDisplayStatus:
      return Display(request, result);
    case MessageKind::kSleep:
      if (!request.GetInt(&flag) || !request.AtEnd()) return false;
      *result = driver.Sleep(flag);
      return true;
    default:
      break;
  }
  if (!request.AtEnd()) return false;
  switch (request.Kind()) {
    case MessageKind::kTerminate:
      *result = driver.Terminate();
      return true;
    case MessageKind::kClear:
      *result = driver.Clear();
      return true;
    case MessageKind::kRefresh:
      *result = driver.Refresh();
      return true;
    case MessageKind::kTimer:
      *result = driver.Timer();
      return true;
    case MessageKind::kPing:
      return true;
    default:
      return false;
  }
}

// Settings (or none), and whether the host gave a callback.
bool HelperSession::Init(Message& request, int* result) {
  int32_t hasSettings = 0, hasCallback = 0;
  const char* settings = nullptr;
  if (!request.GetInt(&hasSettings) || !request.GetInt(&hasCallback)) return false;
  if (hasSettings && !request.GetString(&settings)) return false;
  if (!request.AtEnd()) return false;
  *result = driver.Init(settings, hasCallback ? ForwardChord : nullptr);
  return true;
}

// The count as the host gave it, and the cells (or none) the driver may read.
bool HelperSession::Display(Message& request, int* result) {
  int32_t count = 0, hasCells = 0;
  unsigned char cells[BrailleDisplay::kCells] = {};
  if (!request.GetInt(&count) || !request.GetInt(&hasCells)) return false;
  uint32_t n = hasCells && count > 0 ? count : 0;
  if (n > sizeof cells) n = sizeof cells;
  if (!request.GetBytes(cells, n) || !request.AtEnd()) return false;
  const unsigned char* shown = hasCells ? cells : nullptr;
  *result = request.Kind() == MessageKind::kDisplay ? driver.Display(shown, count)
                                                    : driver.DisplayStatus(shown, count);
  return true;
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
  if (broken || !channel.Send(question, INFINITE)) {
    broken = true;
    return false;
  }
  Message reply;
  while (channel.Receive(&reply, INFINITE)) {
    if (reply.Kind() == answerKind) {
      if (reply.GetInt(answer) && reply.AtEnd()) return true;
      break;
    }
    if (!Serve(reply)) break;
  }
  broken = true;
  return false;
}
