// A helper that breaks the protocol, as BRLVELT_FAKE_HELPER says: at the start
// (oversized, unknown, failed, exit), in its answer to BrlInit (cells, mute:
// none ever; topmost: a message box with styles beyond the driver's, then the
// result as usual; boxes: two boxes), in its answer to BrlDisplay (displaychord:
// a chord), or on the first BrlTimer after a good BrlInit (chord, keys, silent;
// held: Shift and right Ctrl injected down, plain Ctrl up, then garbage;
// scancode: Shift down, then a key flag the driver never sends; drip: a valid
// keystroke every second, never the result; timerbox: a box; slowchords: chord
// after chord, each BrlDisplay the callback makes answered after 200 ms); or
// after its pipe closed (stay: never ends by itself).
#include <string.h>
#include <windows.h>

#include "../../src/bridge/channel/Channel.h"

namespace {

Channel channel;
HANDLE pipe = nullptr;

// A header as the bridge reads it, with any kind and size.
void SendHeader(uint32_t kind, uint32_t size) {
  unsigned char header[8];
  memcpy(header, &kind, 4);
  memcpy(header + 4, &size, 4);
  DWORD written = 0;
  WriteFile(pipe, header, sizeof header, &written, nullptr);
}

void Send(MessageKind kind, int value) {
  Message message(kind);
  message.PutInt(value);
  channel.Send(message, Channel::kNever);
}

// One keybd_event keystroke, and the bridge's answer.
bool Key(BYTE vk, DWORD flags) {
  Message keys(MessageKind::kInput);
  keys.PutInt(kKeybdEvent);
  keys.PutInt(1);
  keys.PutInt(vk);
  keys.PutInt(static_cast<int32_t>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)));
  keys.PutInt(static_cast<int32_t>(flags));
  Message done;
  return channel.Send(keys, Channel::kNever) && channel.Receive(&done, Channel::kNever);
}

// A box the bridge shows, with the styles masked, and answers.
void Box() {
  Message box(MessageKind::kMessageBox);
  box.PutInt(MB_OK | MB_TOPMOST | MB_SETFOREGROUND | MB_SERVICE_NOTIFICATION);
  box.PutString("Fausse alerte");
  box.PutString("Erreur");
  Message done;
  channel.Send(box, Channel::kNever);
  channel.Receive(&done, Channel::kNever);
}

void Chord(int code) {
  Message chord(MessageKind::kChord);
  chord.PutInt(code);
  chord.PutInt(0);
  channel.Send(chord, Channel::kNever);
}

// What the fault does when the bridge's first BrlTimer arrives.
void BreakOnTimer(const char* fault) {
  if (strcmp(fault, "timerbox") == 0) Box();
  for (bool open = true; open && strcmp(fault, "slowchords") == 0;) {
    Chord(static_cast<int>(0x80000081u));
    Message nested;
    while ((open = channel.Receive(&nested, Channel::kNever)) &&
           nested.Kind() == MessageKind::kDisplay) {
      Sleep(200);
      Send(MessageKind::kResult, 1);
    }
  }
  // Right Ctrl stays down in Windows after a plain Ctrl goes up.
  if (strcmp(fault, "held") == 0 && Key(VK_SHIFT, 0) && Key(VK_CONTROL, KEYEVENTF_EXTENDEDKEY) &&
      Key(VK_CONTROL, KEYEVENTF_KEYUP)) {
    SendHeader(0x999, 0);
  }
  if (strcmp(fault, "scancode") == 0 && Key(VK_SHIFT, 0)) Key('A', KEYEVENTF_SCANCODE);
  while (strcmp(fault, "drip") == 0 && Key('X', 0) && Key('X', KEYEVENTF_KEYUP)) Sleep(1000);
  if (strcmp(fault, "chord") == 0) {
    Chord(5);  // no top bit
  } else if (strcmp(fault, "keys") == 0) {
    Message keys(MessageKind::kInput);
    keys.PutInt(kSendInput);
    keys.PutInt(1000);
    channel.Send(keys, Channel::kNever);
  }
  Sleep(INFINITE);  // silent: never answers
}

void Serve(const char* fault) {
  Message request;
  while (channel.Receive(&request, Channel::kNever)) {
    if (request.Kind() == MessageKind::kTimer) BreakOnTimer(fault);
    bool init = request.Kind() == MessageKind::kInit;
    if (init && strcmp(fault, "mute") == 0) Sleep(INFINITE);
    int boxes = strcmp(fault, "topmost") == 0 ? 1 : strcmp(fault, "boxes") == 0 ? 2 : 0;
    for (int i = 0; init && i < boxes; ++i) Box();
    if (request.Kind() == MessageKind::kDisplay && strcmp(fault, "displaychord") == 0) {
      Chord(static_cast<int>(0x80000081u));
      Sleep(INFINITE);
    }
    int result = request.Kind() == MessageKind::kTimer ? 0 : 1;
    if (init) result = strcmp(fault, "cells") == 0 ? 0x1FF : 40;
    Send(MessageKind::kResult, result);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (!channel.Open(commandLine)) return 2;
  pipe = channel.Handle();
  char fault[32] = {};
  GetEnvironmentVariableA("BRLVELT_FAKE_HELPER", fault, sizeof fault);
  Message first(MessageKind::kReady);
  if (strcmp(fault, "oversized") == 0) SendHeader(0x100, 0x7FFFFFFF);
  if (strcmp(fault, "unknown") == 0) SendHeader(0x999, 0);
  if (strcmp(fault, "failed") == 0) {
    first = Message(MessageKind::kFailed);
    first.PutString("X:\\nowhere\\brlvelt.dll");
  }
  if (strcmp(fault, "exit") == 0) return 1;
  channel.Send(first, Channel::kNever);
  Serve(fault);
  // stay: outlives its pipe, so that only the bridge can end it.
  if (strcmp(fault, "stay") == 0) Sleep(INFINITE);
  return 0;
}
