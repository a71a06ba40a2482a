#include "SerialPort.h"

#include <string.h>

namespace {

// Longest device name kept, without the terminator.
const int kMaxDeviceName = 39;

}  // namespace

SerialPort::~SerialPort() {
  if (handle) CloseHandle(handle);
  handle = nullptr;
}

int SerialPort::Open(const char* settings) {
  if (!settings) return 0;
  const char* colon = strchr(settings, ':');
  int nameLength = colon ? static_cast<int>(colon - settings) : lstrlenA(settings);
  char device[kMaxDeviceName + 1];
  lstrcpynA(device, settings, nameLength < kMaxDeviceName ? nameLength + 1 : kMaxDeviceName + 1);

  DCB dcb;
  memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  if (!BuildCommDCBA(settings, &dcb)) return 0;

  HANDLE opened =
      CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return 0;
  handle = opened;
  SetCommState(handle, &dcb);

  // Reads return at once with what has arrived; Read does the waiting.
  COMMTIMEOUTS timeouts = {MAXDWORD, 0, 0, 100, 1};
  return SetCommTimeouts(handle, &timeouts) ? 1 : 0;
}

int SerialPort::WriteByte(unsigned char byte) {
  return Write(&byte, 1);
}

int SerialPort::Write(const unsigned char* buffer, int length) {
  if (!handle) return 1;
  if (length < 0 || (!buffer && length > 0)) return 0;
  DWORD written = 0;
  if (WriteFile(handle, buffer, static_cast<DWORD>(length), &written, nullptr) &&
      written == static_cast<DWORD>(length)) {
    return 1;
  }
  ClearError();
  return 0;
}

int SerialPort::Read(unsigned char* buffer, int length, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  int total = 0;
  while (total < length) {
    DWORD received = 0;
    if (!ReadFile(handle, buffer + total, static_cast<DWORD>(length - total), &received, nullptr)) {
      ClearError();
      return 0;
    }
    total += static_cast<int>(received);
    if (GetTickCount() - start > timeoutMs) break;
    if (!received) ::Sleep(1);  // nothing arrived: wait without spinning
  }
  return total;
}

void SerialPort::ClearError() {
  DWORD errors = 0;
  COMSTAT status;
  ClearCommError(handle, &errors, &status);
}
