// The stand-in's pipe, events and waits. An operation that cannot complete at
// once pends until a wait reaches its time; a wait without a timeout for one that
// never completes would hang the program, and ends it with a message instead.
#include "FakePipe.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <vector>

namespace fake {

namespace {

struct Operation {
  LPOVERLAPPED overlapped;
  bool write;
  unsigned char* buffer;  // read into, or written from
  DWORD length;
  ULONGLONG dueMs;
  bool connect = false;  // ConnectNamedPipe, moving no data
  bool finished = false;
  DWORD done = 0;
  DWORD error = 0;
};

DWORD lastError = 0;
std::map<HANDLE, bool> events;  // signalled or not
std::vector<Operation> operations;

void Hang(const char* what) {
  fprintf(stderr, "the program waits without bound: %s\n", what);
  abort();
}

// Moves data as the other end does when the operation's time has come.
void Finish(Operation& op) {
  Pipe& p = pipe();
  if (op.connect) {
    op.done = 0;
  } else if (op.write) {
    DWORD count = op.length;
    if (!p.takes.empty()) {
      count = p.takes.front().bytes < count ? p.takes.front().bytes : count;
      p.takes.pop_front();
    }
    p.taken.append(reinterpret_cast<const char*>(op.buffer), count);
    op.done = count;
  } else {
    PipeChunk& chunk = p.incoming.front();
    DWORD count =
        chunk.bytes.size() < op.length ? static_cast<DWORD>(chunk.bytes.size()) : op.length;
    memcpy(op.buffer, chunk.bytes.data(), count);
    chunk.bytes.erase(0, count);
    chunk.delayMs = 0;
    if (chunk.bytes.empty()) p.incoming.pop_front();
    p.delivered += count;
    op.done = count;
  }
  op.finished = true;
  --p.unfinished;
  if (op.overlapped) {
    op.overlapped->Internal = 0;
    op.overlapped->InternalHigh = op.done;
    events[op.overlapped->hEvent] = true;
  }
}

void Abort(Operation& op, DWORD error) {
  op.finished = true;
  op.error = error;
  --pipe().unfinished;
  events[op.overlapped->hEvent] = true;
}

// When the other end acts on the operation: kNever while it stays silent.
ULONGLONG DueTime(bool write) {
  Pipe& p = pipe();
  if (write) return p.takes.empty() ? p.nowMs : p.nowMs + p.takes.front().delayMs;
  if (p.incoming.empty()) return kNever;
  return p.nowMs + p.incoming.front().delayMs;
}

Operation* Find(LPOVERLAPPED overlapped) {
  for (Operation& op : operations) {
    if (op.overlapped == overlapped) return &op;
  }
  return nullptr;
}

void Pend(const Operation& op) {
  for (size_t i = 0; i < operations.size(); ++i) {
    if (operations[i].overlapped == op.overlapped) operations.erase(operations.begin() + i--);
  }
  events[op.overlapped->hEvent] = false;
  operations.push_back(op);
}

// The time the first of the objects is signalled, finishing the operations due by
// then; kNever if none is.
ULONGLONG Signalled(const HANDLE* objects, DWORD count, ULONGLONG limitMs, DWORD* which) {
  ULONGLONG first = kNever;
  for (DWORD i = 0; i < count; ++i) {
    ULONGLONG at = kNever;
    if (objects[i] == pipe().peer) at = pipe().peerEndsMs;
    for (Operation& op : operations) {
      if (!op.finished && op.overlapped->hEvent == objects[i] && op.dueMs < at) at = op.dueMs;
    }
    auto event = events.find(objects[i]);
    if (event != events.end() && event->second) at = pipe().nowMs;
    if (at < first && at <= limitMs) {
      first = at;
      *which = i;
    }
  }
  if (first == kNever) return kNever;
  pipe().nowMs = first > pipe().nowMs ? first : pipe().nowMs;
  for (Operation& op : operations) {
    if (!op.finished && op.dueMs <= pipe().nowMs) Finish(op);
  }
  return first;
}

BOOL Start(bool write, unsigned char* buffer, DWORD length, LPDWORD done, LPOVERLAPPED overlapped) {
  Pipe& p = pipe();
  if (done) *done = 0;
  if (!p.open && (write || p.incoming.empty())) {
    lastError = write ? ERROR_NO_DATA : ERROR_BROKEN_PIPE;
    return FALSE;
  }
  Operation op{overlapped, write, buffer, length, DueTime(write)};
  ++p.unfinished;
  if (!overlapped) {
    if (op.dueMs == kNever) Hang("a blocking read on a pipe that stays silent");
    p.nowMs = op.dueMs;
    Finish(op);
    *done = op.done;
    return TRUE;
  }
  Pend(op);
  if (op.dueMs == p.nowMs) {
    Finish(operations.back());
    if (done) *done = operations.back().done;
    return TRUE;
  }
  lastError = ERROR_IO_PENDING;
  return FALSE;
}

}  // namespace

Pipe& pipe() {
  static Pipe* state = new Pipe();
  return *state;
}

void ResetPipe() {
  pipe() = Pipe();
  events.clear();
  operations.clear();
  lastError = 0;
}

BOOL PipeRead(void* buffer, DWORD length, LPDWORD done, LPOVERLAPPED overlapped) {
  return Start(false, static_cast<unsigned char*>(buffer), length, done, overlapped);
}

BOOL PipeWrite(const void* buffer, DWORD length, LPDWORD done, LPOVERLAPPED overlapped) {
  return Start(true, static_cast<unsigned char*>(const_cast<void*>(buffer)), length, done,
               overlapped);
}

}  // namespace fake

using fake::pipe;

extern "C" {

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL, BOOL initialState, LPCWSTR) {
  HANDLE event = reinterpret_cast<HANDLE>(0xE7E000 + fake::events.size());
  fake::events[event] = initialState;
  return event;
}

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll,
                                    DWORD milliseconds) {
  for (DWORD i = 0; i < count; ++i) {
    if (objects[i] != pipe().peer && fake::events.count(objects[i]) == 0) {
      fake::lastError = ERROR_INVALID_HANDLE;
      return WAIT_FAILED;
    }
  }
  if (count == 0 || waitAll) {
    fake::lastError = ERROR_INVALID_PARAMETER;
    return WAIT_FAILED;
  }
  ULONGLONG limit = milliseconds == INFINITE ? fake::kNever - 1 : pipe().nowMs + milliseconds;
  DWORD which = 0;
  if (fake::Signalled(objects, count, limit, &which) != fake::kNever) return WAIT_OBJECT_0 + which;
  if (milliseconds == INFINITE) fake::Hang("an endless wait for objects never signalled");
  pipe().nowMs = limit;
  return WAIT_TIMEOUT;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll,
                                       DWORD milliseconds, DWORD) {
  return WaitForMultipleObjects(count, objects, waitAll, milliseconds);
}

BOOL WINAPI PeekMessageW(MSG*, HWND, UINT, UINT, UINT) {
  return FALSE;
}

// Overlapped only, as the bridge opens its end: pends until a client opens the pipe.
BOOL WINAPI ConnectNamedPipe(HANDLE handle, LPOVERLAPPED overlapped) {
  fake::Pipe& p = pipe();
  if (handle != p.handle || !overlapped) {
    fake::lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  if (p.clientMs <= p.nowMs) {
    fake::lastError = ERROR_PIPE_CONNECTED;
    return FALSE;
  }
  fake::Operation op{overlapped, false, nullptr, 0, p.clientMs};
  op.connect = true;
  ++p.unfinished;
  fake::Pend(op);
  fake::lastError = ERROR_IO_PENDING;
  return FALSE;
}

BOOL WINAPI CancelIo(HANDLE file) {
  if (file != pipe().handle) {
    fake::lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  for (fake::Operation& op : fake::operations) {
    if (!op.finished) fake::Abort(op, ERROR_OPERATION_ABORTED);
  }
  return TRUE;
}

BOOL WINAPI GetOverlappedResult(HANDLE, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) {
  fake::Operation* op = fake::Find(overlapped);
  *transferred = 0;
  if (!op) {
    fake::lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  if (!op->finished && !wait) {
    fake::lastError = ERROR_IO_INCOMPLETE;
    return FALSE;
  }
  if (!op->finished) {
    if (op->dueMs == fake::kNever) fake::Hang("GetOverlappedResult waiting on a silent pipe");
    pipe().nowMs = op->dueMs > pipe().nowMs ? op->dueMs : pipe().nowMs;
    fake::Finish(*op);
  }
  *transferred = op->done;
  DWORD error = op->error;
  fake::operations.erase(fake::operations.begin() + (op - fake::operations.data()));
  if (error) fake::lastError = error;
  return error == 0;
}

DWORD WINAPI GetLastError(void) {
  return fake::lastError;
}

void WINAPI SetLastError(DWORD error) {
  fake::lastError = error;
}

ULONGLONG WINAPI GetTickCount64(void) {
  return pipe().nowMs;
}

}  // extern "C"
