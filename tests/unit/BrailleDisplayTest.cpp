#include <gtest/gtest.h>

#include "TestDisplay.h"

using Calls = std::vector<std::string>;

namespace {

int WINAPI HostA(int, int) {
  return 0;
}
int WINAPI HostB(int, int) {
  return 0;
}

const char kSettings[] = "COM2:9600,n,8,1";

Calls OpenCom2() {
  return {"BuildCommDCBA(\"COM2:9600,n,8,1\",28)", "CreateFileA(\"COM2\",C0000000,0,0,3,0,0)",
          "SetCommState(44,baud 9600)", "SetCommTimeouts(44,FFFFFFFF,0,0,64,1)"};
}

Calls Then(Calls first, const Calls& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

class BrailleDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  void TearDown() override {
    display.Terminate();
    EXPECT_EQ(0, fake::win().heapBlocks) << "every port was destroyed";
  }
  Calls Recorded() { return fake::win().calls; }
  void Open() {
    ASSERT_EQ(1, display.Initialize(kSettings, HostA));
    fake::win().calls.clear();
  }

  TestDisplay display;
  const unsigned char row[4] = {1, 2, 3, 4};
};

// Opening and closing.

TEST_F(BrailleDisplayTest, InitializeOpensTheSerialPortAndConnects) {
  EXPECT_EQ(1, display.Initialize(kSettings, HostA));
  EXPECT_EQ(Then(OpenCom2(), {"Connect(2000)"}), Recorded());
  EXPECT_EQ(40, display.CellCount());
  EXPECT_EQ(HostA, display.Callback());
  EXPECT_STREQ(kSettings, display.Settings());
}

TEST_F(BrailleDisplayTest, InitializeReportsTheFirstFailingStep) {
  fake::win().buildDcbOk = false;
  EXPECT_EQ(0, display.Initialize("COM2:bad", HostA));
  EXPECT_EQ(Calls{"BuildCommDCBA(\"COM2:bad\",28)"}, Recorded());
  EXPECT_FALSE(display.IsOpen());

  fake::Reset();
  fake::win().heapFailures = 1;
  EXPECT_EQ(0, display.Initialize(kSettings, HostA));
  EXPECT_TRUE(Recorded().empty()) << "a port that cannot be created is not opened";
  EXPECT_FALSE(display.IsOpen());
}

TEST_F(BrailleDisplayTest, FailedConnectKeepsThePortOpenAndRefusesASecondOpen) {
  display.connectResult = 0;
  EXPECT_EQ(0, display.Initialize(kSettings, HostA));
  EXPECT_TRUE(display.IsOpen());
  fake::win().calls.clear();

  EXPECT_EQ(0, display.Initialize("COM3:1200", HostB));
  EXPECT_TRUE(Recorded().empty()) << "Open refuses while a port is open";
  EXPECT_STREQ("COM3:1200", display.Settings());
  EXPECT_EQ(HostB, display.Callback());

  display.Terminate();
  display.connectResult = 1;
  EXPECT_EQ(1, display.Initialize(kSettings, HostA));
}

TEST_F(BrailleDisplayTest, SettingsThatDoNotFitOrAreMissingChangeNothing) {
  Open();
  display.Terminate();
  fake::win().calls.clear();
  std::string tooLong(80, 'C');
  EXPECT_EQ(0, display.Initialize(tooLong.c_str(), HostB));
  EXPECT_EQ(0, display.Initialize(nullptr, HostB));
  EXPECT_TRUE(Recorded().empty());
  EXPECT_STREQ(kSettings, display.Settings());
  EXPECT_EQ(HostA, display.Callback());

  std::string longest = "COM2:" + std::string(74, '9');
  fake::win().buildDcbOk = false;
  display.Initialize(longest.c_str(), HostB);
  EXPECT_STREQ(longest.c_str(), display.Settings()) << "79 characters fit";
}

TEST_F(BrailleDisplayTest, TerminateClearsAndClosesButKeepsTheCellCount) {
  Open();
  display.Display(row, 4);
  fake::win().calls.clear();
  display.Terminate();
  EXPECT_EQ((Calls{"Send()", "CloseHandle(44)"}), Recorded());
  EXPECT_EQ(40, display.CellCount());
  fake::win().calls.clear();
  display.Terminate();
  EXPECT_TRUE(Recorded().empty());

  EXPECT_EQ(0, display.Display(row, 4)) << "new content, no port to send it to";
  EXPECT_EQ(1, display.Display(row, 4));
  EXPECT_TRUE(display.SentEqualsCells());
}

// The cell buffer.

TEST_F(BrailleDisplayTest, OnlyChangedContentIsSent) {
  Open();
  const unsigned char blank[40] = {};
  EXPECT_EQ(1, display.Display(blank, 40));
  EXPECT_TRUE(Recorded().empty()) << "blank matches the initial copy";

  EXPECT_EQ(1, display.Display(row, 4));
  EXPECT_EQ(1, display.Display(row, 4));
  EXPECT_EQ(Calls{"Send(1 2 3 4)"}, Recorded());

  EXPECT_EQ(1, display.Display(row, 2));
  EXPECT_EQ("Send(1 2)", Recorded().back()) << "a shorter row clears the rest";

  EXPECT_EQ(0, display.Display(nullptr, 5)) << "a missing row fails and changes nothing";
  EXPECT_EQ("Send(1 2)", Recorded().back());
  EXPECT_EQ(1, display.Display(nullptr, 0));
  EXPECT_EQ(1, display.Display(row, -3));
  EXPECT_EQ((Calls{"Send(1 2 3 4)", "Send(1 2)", "Send()"}), Recorded());
}

TEST_F(BrailleDisplayTest, NothingIsShownBeforeTheCellCountIsKnown) {
  EXPECT_EQ(1, display.Display(row, 4));
  EXPECT_EQ(1, display.Clear());
  EXPECT_TRUE(Recorded().empty());
}

TEST_F(BrailleDisplayTest, AnOverlongRowFillsOnlyTheRoomAfterTheStatusCells) {
  display.statusOnConnect = 2;
  Open();
  unsigned char src[200];
  for (int i = 0; i < 200; ++i) src[i] = static_cast<unsigned char>(i + 1);
  EXPECT_EQ(1, display.Display(src, 200));
  std::string sent = display.Sent();
  EXPECT_EQ(0, sent[0]);
  EXPECT_EQ(0, sent[1]);
  EXPECT_EQ(1, sent[2]);
  EXPECT_EQ(126, sent[127]) << "128 - 2 bytes taken";
}

TEST_F(BrailleDisplayTest, StatusCells) {
  Open();
  const unsigned char status[5] = {9, 8, 7, 6, 5};
  EXPECT_EQ(1, display.DisplayStatus(status, 5));
  EXPECT_TRUE(Recorded().empty()) << "no status cells, nothing to send";

  display.Terminate();
  display.statusOnConnect = 2;
  Open();
  display.Display(row, 1);
  EXPECT_EQ(1, display.DisplayStatus(status, 5));
  EXPECT_EQ(1, display.DisplayStatus(status, 2));
  EXPECT_EQ((Calls{"Send(0 0 1)", "Send(9 8 1)"}), Recorded()) << "only the changed status is sent";
  display.Display(row, 2);
  EXPECT_EQ("Send(9 8 1 2)", Recorded().back()) << "rows leave the status cells alone";
  display.DisplayStatus(status, 0);
  EXPECT_EQ("Send(0 0 1 2)", Recorded().back());
  EXPECT_EQ(0, display.DisplayStatus(nullptr, 1));
}

TEST_F(BrailleDisplayTest, ClearSendsOnlyWhenSomethingWasShown) {
  Open();
  EXPECT_EQ(1, display.Clear());
  EXPECT_TRUE(Recorded().empty());
  display.Display(row, 4);
  EXPECT_EQ(1, display.Clear());
  EXPECT_EQ((Calls{"Send(1 2 3 4)", "Send()"}), Recorded());
}

// Sleep and wake.

TEST_F(BrailleDisplayTest, SleepBlanksThenClosesAndWakeReopensAndSends) {
  Open();
  display.Display(row, 4);
  fake::win().calls.clear();
  EXPECT_EQ(1, display.Sleep(1));
  EXPECT_EQ((Calls{"Send()", "CloseHandle(44)"}), Recorded());
  EXPECT_FALSE(display.IsOpen());
  fake::win().calls.clear();
  EXPECT_EQ(1, display.Sleep(1));
  EXPECT_TRUE(Recorded().empty());

  EXPECT_EQ(1, display.Sleep(0));
  EXPECT_EQ(Then(OpenCom2(), {"Send()"}), Recorded()) << "no Connect on wake";
  EXPECT_TRUE(display.IsOpen());
}

TEST_F(BrailleDisplayTest, ContentShownWhileAsleepArrivesOnWake) {
  Open();
  display.Sleep(1);
  fake::win().calls.clear();
  EXPECT_EQ(0, display.Display(row, 3)) << "the model's Send finds no port";
  EXPECT_TRUE(display.SentEqualsCells());
  display.Sleep(0);
  EXPECT_EQ("Send(1 2 3)", Recorded().back());
}

TEST_F(BrailleDisplayTest, SleepFlagsCompareByValue) {
  EXPECT_EQ(1, display.Sleep(0));
  EXPECT_TRUE(Recorded().empty()) << "a display that never slept";

  display.Sleep(1);
  display.Sleep(2);
  EXPECT_EQ(2, display.Sleeping());
  EXPECT_TRUE(Recorded().empty()) << "closed: only the flag changes";
  display.Sleep(0);
  EXPECT_EQ(Then({"BuildCommDCBA(\"\",28)", "CreateFileA(\"\",C0000000,0,0,3,0,0)",
                  "SetCommState(44,baud 0)", "SetCommTimeouts(44,FFFFFFFF,0,0,64,1)"},
                 {"Send()"}),
            Recorded())
      << "wakes from the settings held, empty before any Initialize";
}

TEST_F(BrailleDisplayTest, AFailedWakeIsNotRetriedBySleepZero) {
  Open();
  display.Sleep(1);
  fake::win().createFileResult = INVALID_HANDLE_VALUE;
  fake::win().calls.clear();
  EXPECT_EQ(1, display.Sleep(0));
  EXPECT_FALSE(display.IsOpen());
  EXPECT_EQ("Send()", Recorded().back());
  fake::win().calls.clear();
  EXPECT_EQ(1, display.Sleep(0));
  EXPECT_TRUE(Recorded().empty());
}

TEST_F(BrailleDisplayTest, InitializeWhileAsleepOpensButDoesNotPoll) {
  Open();
  display.Sleep(1);
  display.Terminate();
  EXPECT_EQ(1, display.Initialize(kSettings, HostA));
  EXPECT_EQ(1, display.Sleeping());
  fake::win().calls.clear();
  display.Poll();
  EXPECT_TRUE(Recorded().empty());
  display.Sleep(0);
  EXPECT_TRUE(Recorded().empty()) << "open and awake again: the port is not touched";
}

// Polling.

TEST_F(BrailleDisplayTest, PollFeedsEveryByteReadInOrder) {
  Open();
  fake::win().reads = {{true, "\x01\x02"}, {true, "\x41"}};
  fake::win().ticks = {7, 7, 8};
  EXPECT_EQ(3, display.Poll()) << "the bytes read";
  EXPECT_EQ((Calls{"GetTickCount()", "ReadFile(44,80)", "GetTickCount()", "ReadFile(44,78)",
                   "GetTickCount()", "Byte(1)", "Byte(2)", "Byte(41)"}),
            Recorded());
}

TEST_F(BrailleDisplayTest, PollDoesNothingAsleepOrClosed) {
  display.Poll();
  Open();
  display.Sleep(1);
  fake::win().calls.clear();
  display.Poll();
  EXPECT_TRUE(Recorded().empty());
}

}  // namespace
