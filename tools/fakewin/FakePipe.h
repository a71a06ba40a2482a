// Scripting interface of the stand-in's pipe: what the other end hands to each
// read and when, how much of each write it takes and when, and whether it is
// still there. Overlapped reads and writes pend and complete on a virtual clock
// (GetTickCount64) as waits move it on, into the caller's buffer, as Windows
// completes them.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

namespace fake {

// Bytes the other end makes available delayMs after the read that asks for them
// started; a read takes at most what it asked for and the rest waits for the
// next read, at once.
struct PipeChunk {
  std::string bytes;
  DWORD delayMs = 0;
};

// How many bytes (at least one) of the next write the other end takes, and after how long.
struct PipeTake {
  DWORD bytes = 1;
  DWORD delayMs = 0;
};

const ULONGLONG kNever = ~0ull;

struct Pipe {
  HANDLE handle = reinterpret_cast<HANDLE>(0x917E);
  std::deque<PipeChunk> incoming;
  std::deque<PipeTake> takes;  // when empty, a write is taken whole at once
  // Whether the other end is still there: with nothing left for them, its reads
  // pend for ever while it is; once it has closed, reads fail with
  // ERROR_BROKEN_PIPE and writes with ERROR_NO_DATA.
  bool open = true;
  // When (GetTickCount64) a client opens the pipe: ConnectNamedPipe pends until
  // then, and for ever when it is kNever.
  ULONGLONG clientMs = 0;
  // A process handle, signalled from peerEndsMs on (never when kNever).
  HANDLE peer = reinterpret_cast<HANDLE>(0x9E70);
  ULONGLONG peerEndsMs = kNever;
  std::string taken;     // every byte the other end took
  size_t delivered = 0;  // bytes handed to reads
  ULONGLONG nowMs = 0;   // GetTickCount64
  int unfinished = 0;    // operations still pending on a caller's buffer
};

Pipe& pipe();
void ResetPipe();

// ReadFile and WriteFile on the pipe's handle.
BOOL PipeRead(void* buffer, DWORD length, LPDWORD done, LPOVERLAPPED overlapped);
BOOL PipeWrite(const void* buffer, DWORD length, LPDWORD done, LPOVERLAPPED overlapped);

}  // namespace fake
