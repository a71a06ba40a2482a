// The helper's side of a session: serves the bridge's requests by calling the
// driver, and carries to the bridge what the driver asks of the host's process
// (chords for the host's callback, keystrokes, message boxes), serving nested
// requests while it waits for each answer.
#pragma once

#include <windows.h>

#include "../../shared/loader/DriverModule.h"
#include "../channel/Channel.h"
#include "RequestDispatch.h"

class HelperSession {
 public:
  static const int kTextSize = 1024;

  HelperSession();
  ~HelperSession();

  // Opens the bridge's pipe by its name.
  bool Connect(const char* pipe);
  // Loads the driver beside the helper, says Ready or Failed, then serves until
  // the pipe closes. Returns the process's exit code.
  int Run();

  // The driver's calls, redirected here.
  void Chord(int code, int param);
  UINT Input(InputCall call, UINT count, const INPUT* inputs);
  int ShowMessageBox(const char* text, const char* caption, UINT type);

 private:
  bool Start();
  bool Serve(const RequestDecoder& request);
  bool Ask(Message& question, MessageKind answerKind, int* answer);
  UINT SendInputs(InputCall call, UINT count, const INPUT* inputs);

  Channel channel;
  DriverModule driver;
  RequestDispatch dispatch;
  bool broken = false;
  wchar_t driverPath[MAX_PATH * 4] = {};
};
