#include "Channel.h"

#include <string.h>

#include "HostWait.h"

Channel::~Channel() {
  Close();
}

bool Channel::Attach(HANDLE handle, bool overlapped) {
  Close();
  if (overlapped) {
    event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event) {
      CloseHandle(handle);
      return false;
    }
  }
  pipe = handle;
  return true;
}

bool Channel::Open(const char* name) {
  HANDLE opened = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  return opened != INVALID_HANDLE_VALUE && Attach(opened, false);
}

bool Channel::Accept(HANDLE peer, ULONGLONG deadline) {
  OVERLAPPED overlapped = {};
  overlapped.hEvent = event;
  if (!event) return false;
  if (ConnectNamedPipe(pipe, &overlapped)) return true;
  if (GetLastError() == ERROR_PIPE_CONNECTED) return true;
  if (GetLastError() != ERROR_IO_PENDING) return false;
  HANDLE waits[2] = {event, peer};
  if (HostWait::Until(2, waits, deadline) != WAIT_OBJECT_0) {
    CancelIo(pipe);
  }
  DWORD ignored = 0;
  return GetOverlappedResult(pipe, &overlapped, &ignored, TRUE) != 0;
}

void Channel::Close() {
  if (pipe != INVALID_HANDLE_VALUE) CloseHandle(pipe);
  if (event) CloseHandle(event);
  pipe = INVALID_HANDLE_VALUE;
  event = nullptr;
}

bool Channel::Send(const Message& message, ULONGLONG deadline) {
  unsigned char bytes[Message::kHeaderSize + Message::kMaxPayload];
  message.WriteHeader(bytes);
  memcpy(bytes + Message::kHeaderSize, message.Payload(), message.Size());
  return Transfer(true, bytes, Message::kHeaderSize + message.Size(), deadline);
}

bool Channel::Receive(Message* message, ULONGLONG deadline) {
  unsigned char header[Message::kHeaderSize];
  return Transfer(false, header, sizeof header, deadline) && message->ReadHeader(header) &&
         Transfer(false, message->Payload(), message->Size(), deadline);
}

bool Channel::Transfer(bool write, unsigned char* data, DWORD length, ULONGLONG deadline) {
  while (length > 0) {
    DWORD done = 0;
    if (!IsOpen() || !Step(write, data, length, deadline, &done) || done == 0) return false;
    data += done;
    length -= done;
  }
  return true;
}

// One read or write; on the overlapped end, cancelled when the deadline passes,
// the thread handling sent messages meanwhile.
bool Channel::Step(bool write, unsigned char* data, DWORD length, ULONGLONG deadline, DWORD* done) {
  if (!event) {
    return write ? WriteFile(pipe, data, length, done, nullptr)
                 : ReadFile(pipe, data, length, done, nullptr);
  }
  OVERLAPPED overlapped = {};
  overlapped.hEvent = event;
  BOOL ok = write ? WriteFile(pipe, data, length, nullptr, &overlapped)
                  : ReadFile(pipe, data, length, nullptr, &overlapped);
  if (!ok && GetLastError() != ERROR_IO_PENDING) return false;
  if (!ok && HostWait::Until(1, &event, deadline) != WAIT_OBJECT_0) {
    CancelIo(pipe);
    GetOverlappedResult(pipe, &overlapped, done, TRUE);
    return false;
  }
  return GetOverlappedResult(pipe, &overlapped, done, FALSE);
}
