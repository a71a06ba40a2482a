// One end of the pipe between the bridge and its helper, carrying whole
// messages. The bridge's end is overlapped, so that every wait on it ends by a
// deadline; the helper's end blocks, since the helper has nothing else to do and
// ends when the pipe breaks.
#pragma once

#include <windows.h>

#include "Message.h"

class Channel {
 public:
  Channel() = default;
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  // Takes ownership of the pipe handle.
  bool Attach(HANDLE pipe, bool overlapped);
  void Close();
  bool IsOpen() const { return pipe != INVALID_HANDLE_VALUE; }

  // Each false when the pipe broke or the deadline passed; the bridge then
  // gives up on the helper.
  bool Send(const Message& message, DWORD timeoutMs);
  bool Receive(Message* message, DWORD timeoutMs);

 private:
  bool Transfer(bool write, unsigned char* data, DWORD length, ULONGLONG deadline);
  bool Step(bool write, unsigned char* data, DWORD length, ULONGLONG deadline, DWORD* done);

  HANDLE pipe = INVALID_HANDLE_VALUE;
  HANDLE event = nullptr;
};
