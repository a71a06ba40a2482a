// The eight driver calls of a 64-bit host, carried to the real driver in the
// helper process and answered in the host's process: the host's callback runs
// on the host's thread inside its own call, keystrokes are injected and message
// boxes shown from here. Every wait for the helper has a deadline; a helper
// that breaks the protocol, stops answering or dies is ended, every call then
// returns 0 at once, and the next BrlInit starts a fresh one.
#pragma once

#include "../../include/brlvelt.h"
#include "HelperMessage.h"
#include "HelperProcess.h"

class Bridge {
 public:
  // Deadlines: the helper's start, calls that may open the display, the rest.
  static const DWORD kStartMs = 20000;
  static const DWORD kOpenMs = 10000;
  static const DWORD kCallMs = 3000;

  int Init(const char* settings, KeyCallback callback);
  int Terminate();
  int Display(const unsigned char* cells, int count);
  int DisplayStatus(const unsigned char* cells, int count);
  int Clear();
  int Refresh();
  int Sleep(int sleep);
  int Timer();
  // A round trip that does no work in the helper: the channel's own cost.
  int Ping();

 private:
  bool Launch();
  int Show(MessageKind kind, const unsigned char* cells, int count);
  int Forward(MessageKind kind, DWORD timeoutMs);
  int Result(const Message& request, DWORD timeoutMs);
  bool Call(const Message& request, DWORD timeoutMs, int* result);
  bool Exchange(const Message& request, DWORD timeoutMs, int* result);
  bool Answer(const HelperMessage& message);
  bool Reply(MessageKind kind, int value);
  static int Inject(const HelperMessage& message);
  static void Report(const wchar_t* text, const wchar_t* file, const wchar_t* caption);

  HelperProcess helper;
  KeyCallback callback = nullptr;
  int depth = 0;
};
