// A byte channel to a braille display: opened from the settings string, written
// to, and read with a time-out. Owned and destroyed by the display object.
#pragma once

#include <stddef.h>
#include <windows.h>

class CommPort {
 public:
  virtual ~CommPort() = default;
  // Non-zero when the channel is open.
  virtual int Open(const char* settings) = 0;
  // 1 when written, 0 on failure.
  virtual int WriteByte(unsigned char byte) = 0;
  // 1 when all length bytes were written, 0 on failure.
  virtual int Write(const unsigned char* buffer, int length) = 0;
  // Number of bytes placed in buffer (at most length), 0 on error.
  virtual int Read(unsigned char* buffer, int length, DWORD timeoutMs) = 0;

  // Ports live on the process heap; a failed allocation yields a null pointer
  // instead of an exception, so the owner can report it as a failed open.
  static void* operator new(size_t size) noexcept;
  static void operator delete(void* memory) noexcept;
};
