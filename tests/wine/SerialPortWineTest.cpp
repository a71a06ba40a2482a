// The serial port on a real serial line: COM5 and COM6 are the two ends of a
// pseudo-terminal pair (see serial-test), and the long device name below is a
// link to COM5's end in the working directory.
#include <string.h>

#include <string>

#include "../../src/driver/port/SerialPort.h"
#include "Check.h"

namespace {

class TestPort : public SerialPort {
 public:
  HANDLE Handle() const { return handle; }
};

// The other end of the line, opened directly.
HANDLE OpenPeer() {
  HANDLE peer =
      CreateFileA("COM6", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  BuildCommDCBA("9600,n,8,1", &dcb);
  SetCommState(peer, &dcb);
  COMMTIMEOUTS timeouts = {0, 0, 2000, 0, 0};
  SetCommTimeouts(peer, &timeouts);
  return peer;
}

void OpensWithTheLineMode(TestPort& port) {
  CHECK_EQ(1, port.Open("COM5:9600,n,8,1"));
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  CHECK(GetCommState(port.Handle(), &dcb));
  CHECK_EQ(9600, dcb.BaudRate);
  CHECK_EQ(8, dcb.ByteSize);
  CHECK_EQ(NOPARITY, dcb.Parity);
  CHECK_EQ(ONESTOPBIT, dcb.StopBits);
}

void ReadsWhatThePeerWrote(TestPort& port, HANDLE peer) {
  DWORD written = 0;
  CHECK(WriteFile(peer, "hello", 5, &written, nullptr) && written == 5);
  Sleep(200);
  unsigned char buffer[80] = {};
  CHECK_EQ(5, port.Read(buffer, 80, 0));
  CHECK(memcmp(buffer, "hello", 5) == 0);
}

void AQuietLineReturnsAfterAboutOneTick(TestPort& port) {
  unsigned char buffer[80];
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  CHECK_EQ(0, port.Read(buffer, 80, 0));
  QueryPerformanceCounter(&end);
  double ms = 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart;
  printf("quiet Read(buffer, 80, 0) took %.2f ms\n", ms);
  CHECK(ms < 50);
}

void WritesReachThePeer(TestPort& port, HANDLE peer) {
  const unsigned char bytes[] = {'a', 'b', 'c'};
  CHECK_EQ(1, port.Write(bytes, 3));
  CHECK_EQ(1, port.WriteByte('d'));
  char received[8] = {};
  DWORD count = 0, total = 0;
  while (total < 4 && ReadFile(peer, received + total, 4 - total, &count, nullptr) && count) {
    total += count;
  }
  CHECK_EQ(4, total);
  CHECK(memcmp(received, "abcd", 4) == 0);
}

void ARejectedModeOpensNothing() {
  TestPort port;
  SetLastError(0);
  CHECK_EQ(0, port.Open("COM5:fast,z,9,4"));
  CHECK(port.Handle() == nullptr);
  // COM5 is still free: the failed open never reached CreateFileA.
  HANDLE again = CreateFileA("COM5", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  CHECK(again != INVALID_HANDLE_VALUE);
  CloseHandle(again);
}

void ALongDeviceNameIsCutTo39(const char* linkName) {
  std::string name = std::string(linkName) + "666666";
  CHECK_EQ(45, name.size());
  TestPort port;
  CHECK_EQ(1, port.Open((name + ":9600,n,8,1").c_str()));
  CHECK(port.Handle() != nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return check::Finish("SerialPortWineTest: usage: serial_test LINKNAME39");
  {
    TestPort port;
    OpensWithTheLineMode(port);
    HANDLE peer = OpenPeer();
    CHECK(peer != INVALID_HANDLE_VALUE);
    ReadsWhatThePeerWrote(port, peer);
    AQuietLineReturnsAfterAboutOneTick(port);
    WritesReachThePeer(port, peer);
    CloseHandle(peer);
  }
  ARejectedModeOpensNothing();
  ALongDeviceNameIsCutTo39(argv[1]);
  return check::Finish("SerialPortWineTest");
}
