// The default channel: a Windows serial line, named and configured by the
// settings string ("COM2:9600,n,8,1").
#pragma once

#include "CommPort.h"

class SerialPort : public CommPort {
 public:
  SerialPort() = default;
  ~SerialPort() override;
  int Open(const char* settings) override;
  int WriteByte(unsigned char byte) override;
  int Write(const unsigned char* buffer, int length) override;
  // Polls until length bytes arrived or more than timeoutMs passed, sleeping
  // 1 ms after each read that brought nothing.
  int Read(unsigned char* buffer, int length, DWORD timeoutMs) override;

 protected:
  HANDLE handle = nullptr;

 private:
  void ClearError();
};
