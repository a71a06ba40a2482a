// The eight driver calls of a 64-bit host, carried to the real driver in the
// helper process and answered in the host's process: the host's callback runs
// on the host's thread inside its own call, keystrokes are injected and message
// boxes shown from here. Until a call needs the device the bridge answers as
// the driver would with no display open; every call has a deadline; a helper
// that breaks the protocol, misses a deadline or dies is ended and the keys it
// held down are let go. Within a session the next call that needs the driver
// starts a fresh helper and reopens the display, at most RestartLimit::kMost
// times a minute.
#pragma once

#include "../../include/brlvelt.h"
#include "../display/BrailleDisplay.h"
#include "CallDeadline.h"
#include "HelperMessage.h"
#include "HelperProcess.h"
#include "InjectedKeys.h"
#include "ReentrantLock.h"
#include "RestartLimit.h"

class Bridge {
 public:
  // Deadlines of a whole call: one that starts a helper, one that may open the
  // display, any other. Time in the host's callback and in message boxes does
  // not count.
  static const DWORD kStartMs = 20000;
  static const DWORD kOpenMs = 10000;
  static const DWORD kCallMs = 3000;

  Bridge() = default;
  // Lets go of the held keys first, then ends the helper.
  ~Bridge();
  Bridge(const Bridge&) = delete;
  Bridge& operator=(const Bridge&) = delete;

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
  // Held by each export for its whole call; stepped aside from while the
  // host's callback or a message box runs.
  ReentrantLock& Lock() { return lock; }

 private:
  // How a call that needs the driver reached it: a helper runs, none (answered
  // as with no display open), or its restart failed (answered 0).
  enum class Reached { kHelper, kNone, kFailed };

  bool Attached();
  Reached Reach(CallDeadline& deadline);
  int Wake(CallDeadline& deadline);
  bool Launch(CallDeadline& deadline, bool report);
  bool Greeted(CallDeadline& deadline, bool report);
  Reached Revive(CallDeadline& deadline);
  bool Reopen(CallDeadline& deadline, bool report);
  void End();
  int Offline(Reached reached, int result) const {
    return givenUp || reached == Reached::kFailed ? 0 : result;
  }
  Message InitRequest() const;
  Message RowRequest() const;
  int Show(MessageKind kind, const unsigned char* cells, int count);
  int Forward(MessageKind kind);
  bool Call(const Message& request, CallDeadline& deadline, int* result);
  bool Exchange(const Message& request, CallDeadline& deadline, int* result);
  bool Answer(const HelperMessage& message, CallDeadline& deadline);
  bool Reply(MessageKind kind, int value, const CallDeadline& deadline);
  bool Inject(const HelperMessage& message, int* done);
  void NoteRow(const unsigned char* cells, int count);
  void Report(const wchar_t* text, const wchar_t* file, const wchar_t* caption);

  ReentrantLock lock;
  HelperProcess helper;
  InjectedKeys keys;
  RestartLimit restarts;
  // The driver's state the bridge keeps: what reopens the display in a fresh
  // helper, and the sleep flag that outlives a helper.
  KeyCallback callback = nullptr;
  char settings[BrailleDisplay::kSettingsSize] = {};
  unsigned char row[BrailleDisplay::kCells] = {};
  int sleeping = 0;
  bool session = false;  // a BrlInit succeeded, and no BrlTerminate since
  bool givenUp = false;  // out of restarts until the next BrlInit
};
