#include "Bridge.h"

#include <stdio.h>

#include "../display/BrailleDisplay.h"

namespace {

const wchar_t kCannotLoad[] = L"Impossible de charger le fichier ";
const wchar_t kLoadCaption[] = L"Erreur de chargement";
const wchar_t kNoAnswer[] = L"Erreur de communication avec le fichier ";
const wchar_t kNoAnswerCaption[] = L"Erreur";

// A cell count and a status-cell count, each within the driver's row.
bool PlausibleCells(int result) {
  return (result & ~0xFFFF) == 0 && (result & 0xFF) <= BrailleDisplay::kCells &&
         (result >> 8) <= BrailleDisplay::kCells;
}

}  // namespace

int Bridge::Init(const char* settings, KeyCallback hostCallback) {
  if (!helper.Running() && (depth > 0 || !Launch())) return 0;
  Message request(MessageKind::kInit);
  request.PutInt(settings != nullptr);
  request.PutInt(hostCallback != nullptr);
  int length = BrailleDisplay::SettingsLength(settings);
  if (length >= 0) callback = hostCallback;  // as the driver takes it: with settings it accepts
  if (settings) {
    // A string the driver refuses for its length reaches it as long as that.
    request.PutBytes(settings, length >= 0 ? length : BrailleDisplay::kSettingsSize);
    request.PutBytes("", 1);
  }
  int result = 0;
  if (Call(request, kOpenMs, &result) && PlausibleCells(result)) return result;
  helper.Stop(0);
  Report(kNoAnswer, helper.Path(), kNoAnswerCaption);
  return 0;
}

int Bridge::Terminate() {
  return Forward(MessageKind::kTerminate, kCallMs);
}

int Bridge::Display(const unsigned char* cells, int count) {
  return Show(MessageKind::kDisplay, cells, count);
}

int Bridge::DisplayStatus(const unsigned char* cells, int count) {
  return Show(MessageKind::kDisplayStatus, cells, count);
}

int Bridge::Clear() {
  return Forward(MessageKind::kClear, kCallMs);
}

int Bridge::Refresh() {
  return Forward(MessageKind::kRefresh, kCallMs);
}

int Bridge::Sleep(int sleep) {
  Message request(MessageKind::kSleep);
  request.PutInt(sleep);
  return Result(request, kOpenMs);
}

int Bridge::Timer() {
  return Forward(MessageKind::kTimer, kCallMs);
}

int Bridge::Ping() {
  return Forward(MessageKind::kPing, kCallMs);
}

// Starts a helper and waits for it to load the driver; says why when it
// cannot, naming the file that is missing or failing.
bool Bridge::Launch() {
  if (!helper.Start()) {
    Report(kCannotLoad, helper.Path(), kLoadCaption);
    return false;
  }
  Message first;
  HelperMessage decoded;
  if (helper.Pipe().Receive(&first, kStartMs) && decoded.Decode(first)) {
    if (decoded.kind == MessageKind::kReady) return true;
    if (decoded.kind == MessageKind::kFailed) {
      wchar_t file[HelperProcess::kPathSize];
      if (!MultiByteToWideChar(CP_UTF8, 0, decoded.text, -1, file, HelperProcess::kPathSize)) {
        file[0] = 0;
      }
      helper.Stop(0);
      Report(kCannotLoad, file, kLoadCaption);
      return false;
    }
  }
  helper.Stop(0);
  Report(kNoAnswer, helper.Path(), kNoAnswerCaption);
  return false;
}

// The cells the driver may read: as many as the host gave, at most a row.
int Bridge::Show(MessageKind kind, const unsigned char* cells, int count) {
  Message request(kind);
  request.PutInt(count);
  request.PutInt(cells != nullptr);
  if (cells && count > 0) {
    request.PutBytes(cells, count < BrailleDisplay::kCells ? count : BrailleDisplay::kCells);
  }
  return Result(request, kCallMs);
}

int Bridge::Forward(MessageKind kind, DWORD timeoutMs) {
  return Result(Message(kind), timeoutMs);
}

int Bridge::Result(const Message& request, DWORD timeoutMs) {
  int result = 0;
  return Call(request, timeoutMs, &result) ? result : 0;
}

bool Bridge::Call(const Message& request, DWORD timeoutMs, int* result) {
  if (!helper.Running()) return false;
  ++depth;
  bool ok = Exchange(request, timeoutMs, result);
  --depth;
  if (!ok) helper.Stop(0);
  return ok;
}

// Sends a request and answers the helper's own requests until its result
// comes; a callback may call in again, nesting another exchange.
bool Bridge::Exchange(const Message& request, DWORD timeoutMs, int* result) {
  if (!helper.Pipe().Send(request, timeoutMs)) return false;
  Message reply;
  HelperMessage decoded;
  while (helper.Pipe().Receive(&reply, timeoutMs) && decoded.Decode(reply)) {
    if (decoded.kind == MessageKind::kResult) {
      *result = decoded.result;
      return true;
    }
    if (!Answer(decoded)) return false;
  }
  return false;
}

bool Bridge::Answer(const HelperMessage& message) {
  switch (message.kind) {
    case MessageKind::kChord:
      if (callback) callback(message.code, message.param);
      return Reply(MessageKind::kCallbackDone, 0);
    case MessageKind::kInput:
      return Reply(MessageKind::kInputDone, Inject(message));
    case MessageKind::kMessageBox:
      return Reply(MessageKind::kMessageBoxDone,
                   MessageBoxA(nullptr, message.text, message.caption, message.boxType));
    default:
      return false;
  }
}

bool Bridge::Reply(MessageKind kind, int value) {
  Message reply(kind);
  reply.PutInt(value);
  return helper.Pipe().Send(reply, kCallMs);
}

// The driver's keystrokes, through the call it made, from the host's process.
int Bridge::Inject(const HelperMessage& message) {
  const ForwardedKey* keys = message.inputs;
  if (message.call == kKeybdEvent) {
    keybd_event(static_cast<BYTE>(keys->vk), static_cast<BYTE>(keys->scan), keys->flags, 0);
    return 0;
  }
  INPUT inputs[Message::kMaxInputs] = {};
  for (int i = 0; i < message.inputCount; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i].vk;
    inputs[i].ki.wScan = keys[i].scan;
    inputs[i].ki.dwFlags = keys[i].flags;
  }
  return static_cast<int>(SendInput(message.inputCount, inputs, sizeof(INPUT)));
}

void Bridge::Report(const wchar_t* text, const wchar_t* file, const wchar_t* caption) {
  wchar_t message[HelperProcess::kPathSize + 64];
  swprintf(message, HelperProcess::kPathSize + 64, L"%ls%ls", text, file);
  MessageBoxW(nullptr, message, caption, MB_OK);
}
