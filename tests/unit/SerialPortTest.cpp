#include <gtest/gtest.h>

#include "../../src/driver/port/SerialPort.h"
#include "FakeWindows.h"

using Calls = std::vector<std::string>;

namespace {

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  Calls Recorded() { return fake::win().calls; }
};

const Calls kOpenCom2 = {
    "BuildCommDCBA(\"COM2:9600,n,8,1\",28)",
    "CreateFileA(\"COM2\",C0000000,0,0,3,0,0)",
    "SetCommState(44,baud 9600)",
    "SetCommTimeouts(44,FFFFFFFF,0,0,64,1)",
};

TEST_F(SerialPortTest, OpensTheNamedDeviceWithTheModeOfTheWholeString) {
  SerialPort port;
  EXPECT_EQ(1, port.Open("COM2:9600,n,8,1"));
  EXPECT_EQ(kOpenCom2, Recorded());
}

TEST_F(SerialPortTest, DeviceNameIsWholeStringWithoutColonAndCutTo39) {
  SerialPort plain;
  plain.Open("COM7");
  EXPECT_EQ("CreateFileA(\"COM7\",C0000000,0,0,3,0,0)", Recorded()[1]);

  fake::Reset();
  std::string longName(45, 'x');
  SerialPort cut;
  cut.Open((longName + ":9600").c_str());
  EXPECT_EQ("CreateFileA(\"" + longName.substr(0, 39) + "\",C0000000,0,0,3,0,0)", Recorded()[1]);
}

TEST_F(SerialPortTest, FailuresToOpen) {
  fake::win().buildDcbOk = false;
  SerialPort rejected;
  EXPECT_EQ(0, rejected.Open("COM2:nonsense"));
  EXPECT_EQ(Calls{"BuildCommDCBA(\"COM2:nonsense\",28)"}, Recorded());

  fake::Reset();
  fake::win().createFileResult = INVALID_HANDLE_VALUE;
  {
    SerialPort missing;
    EXPECT_EQ(0, missing.Open("COM9:9600"));
  }
  EXPECT_EQ(2u, Recorded().size()) << "nothing to close when CreateFileA failed";

  fake::Reset();
  fake::win().setCommTimeoutsOk = false;
  {
    SerialPort half;
    EXPECT_EQ(0, half.Open("COM2:9600,n,8,1"));
  }
  EXPECT_EQ("CloseHandle(44)", Recorded().back()) << "the handle is released with the port";

  EXPECT_EQ(0, SerialPort().Open(nullptr));
}

TEST_F(SerialPortTest, ReadOnQuietLineSleepsBetweenReadsUntilTheTickMovesOn) {
  SerialPort port;
  port.Open("COM2:9600");
  fake::win().calls.clear();
  fake::win().ticks = {500, 500, 500, 501};
  unsigned char buffer[80];
  EXPECT_EQ(0, port.Read(buffer, 80, 0));
  EXPECT_EQ(
      (Calls{"GetTickCount()", "ReadFile(44,80)", "GetTickCount()", "Sleep(1)", "ReadFile(44,80)",
             "GetTickCount()", "Sleep(1)", "ReadFile(44,80)", "GetTickCount()"}),
      Recorded());
}

TEST_F(SerialPortTest, ReadGathersBytesUntilFullOrTimedOut) {
  SerialPort port;
  port.Open("COM2:9600");
  unsigned char buffer[8] = {};

  fake::win().reads = {{true, "ab"}, {true, ""}, {true, "cdefghijk"}};
  fake::win().ticks = {10, 10, 10, 10};
  EXPECT_EQ(8, port.Read(buffer, 8, 0));
  EXPECT_EQ("abcdefgh", std::string(reinterpret_cast<char*>(buffer), 8));
  EXPECT_EQ("ReadFile(44,6)", fake::Calls({"ReadFile"}).back()) << "asks only for what is missing";

  fake::win().calls.clear();
  fake::win().reads = {{true, "xy"}};
  fake::win().ticks = {0xFFFFFFFE, 0xFFFFFFFF, 2, 5};
  EXPECT_EQ(2, port.Read(buffer, 8, 5)) << "the tick wrap does not end the wait early";
  EXPECT_EQ(3u, fake::Calls({"ReadFile"}).size());
}

TEST_F(SerialPortTest, FailedReadClearsTheErrorAndDropsBytes) {
  SerialPort port;
  port.Open("COM2:9600");
  fake::win().calls.clear();
  fake::win().reads = {{true, "ab"}, {false, ""}};
  fake::win().ticks = {10, 10, 10};
  unsigned char buffer[80];
  EXPECT_EQ(0, port.Read(buffer, 80, 0));
  EXPECT_EQ("ClearCommError(44)", Recorded().back());

  SerialPort closed;
  EXPECT_EQ(0, closed.Read(buffer, 80, 0)) << "ReadFile fails without a handle";
}

TEST_F(SerialPortTest, Writing) {
  SerialPort closed;
  const unsigned char bytes[] = {1, 2, 3};
  EXPECT_EQ(1, closed.WriteByte(7));
  EXPECT_EQ(1, closed.Write(bytes, 3));
  EXPECT_TRUE(Recorded().empty()) << "a port never opened writes nothing and succeeds";

  SerialPort port;
  port.Open("COM2:9600");
  fake::win().calls.clear();
  EXPECT_EQ(1, port.Write(bytes, 3));
  EXPECT_EQ(1, port.WriteByte(9));
  EXPECT_EQ(std::string("\x01\x02\x03\x09", 4), fake::win().written);

  fake::win().writes = {{true, "x"}, {false, ""}};
  EXPECT_EQ(0, port.Write(bytes, 3)) << "a short write fails";
  EXPECT_EQ(0, port.WriteByte(1));
  EXPECT_EQ(2u, fake::Calls({"ClearCommError"}).size());
  EXPECT_EQ(0, port.Write(bytes, -1));
}

}  // namespace
