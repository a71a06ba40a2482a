// One end of the pipe between the bridge and its helper, carrying whole
// messages. The bridge's end is overlapped, so that every wait on it ends by a
// deadline, and the host's thread handles sent messages while it waits; the
// helper's end blocks, since the helper has nothing else to do and
// ends when the pipe breaks.
#pragma once

#include <windows.h>

#include "HostWait.h"
#include "Message.h"

class Channel {
 public:
  // A deadline the helper's blocking end waits for.
  static const ULONGLONG kNever = HostWait::kNever;

  Channel() = default;
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  // Takes ownership of the pipe handle.
  bool Attach(HANDLE pipe, bool overlapped);
  // The helper's end: opens the bridge's pipe by name, blocking.
  bool Open(const char* name);
  // The bridge's end: waits until a client opened the pipe, the peer process
  // ended or the deadline (a GetTickCount64 time) passed.
  bool Accept(HANDLE peer, ULONGLONG deadline);
  void Close();
  bool IsOpen() const { return pipe != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return pipe; }

  // Each false when the pipe broke or the deadline passed; the bridge then
  // gives up on the helper.
  bool Send(const Message& message, ULONGLONG deadline);
  bool Receive(Message* message, ULONGLONG deadline);

 private:
  bool Transfer(bool write, unsigned char* data, DWORD length, ULONGLONG deadline);
  bool Step(bool write, unsigned char* data, DWORD length, ULONGLONG deadline, DWORD* done);

  HANDLE pipe = INVALID_HANDLE_VALUE;
  HANDLE event = nullptr;
};
