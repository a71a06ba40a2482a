#include <gtest/gtest.h>

#include "../../src/driver/model/VeltDisplay.h"
#include "FakeVelt.h"

using Calls = std::vector<std::string>;

namespace {

std::vector<std::pair<unsigned, int>> chords;

int WINAPI RecordChord(int code, int param) {
  chords.push_back({static_cast<unsigned>(code), param});
  return 0;
}

class VeltDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fakevelt::Install();
    chords.clear();
  }
  void TearDown() override {
    display.Terminate();
    EXPECT_EQ(0, fakevelt::References());
  }
  Calls Recorded() { return fake::win().calls; }
  void Open(KeyCallback callback = RecordChord) {
    ASSERT_EQ(1, display.Initialize("cells=40", callback));
    fake::win().calls.clear();
  }
  void Feed(std::initializer_list<int> bytes) {
    for (int byte : bytes) display.HandleInputByte(static_cast<unsigned char>(byte));
  }

  VeltDisplay display;
};

// Connecting and showing cells.

TEST_F(VeltDisplayTest, ConnectLearnsTheCellCount) {
  EXPECT_EQ(1, display.Initialize("cells=40", nullptr));
  EXPECT_EQ("LongueurBarette()", Recorded().back());
  EXPECT_EQ(40, display.CellCount());
  EXPECT_EQ(0, display.StatusCellCount());
}

TEST_F(VeltDisplayTest, ConnectFailuresShowTheirMessageAndKeepTheOldCount) {
  Open();
  display.Terminate();
  fakevelt::library().cellCount = 0;
  EXPECT_EQ(0, display.Initialize("x", nullptr));
  EXPECT_EQ("MessageBoxA(0,\"Erreur de communication\",\"Erreur\",0)", Recorded().back());
  EXPECT_EQ(40, display.CellCount());

  const unsigned char row[] = {7};
  EXPECT_EQ(1, display.Display(row, 1)) << "the port stays open after a failed Connect";
  EXPECT_EQ("Affichage()", Recorded().back());

  display.Terminate();
  fakevelt::library().cellCount = -1;
  EXPECT_EQ(0, display.Initialize("x", nullptr));
  EXPECT_EQ("MessageBoxA(0,\"Le terminal braille n'est pas allum\xE9\",\"Erreur\",0)",
            Recorded().back());
  EXPECT_EQ(1, fakevelt::References()) << "loaded until the port is destroyed";
}

TEST_F(VeltDisplayTest, SendHandsTheWholeBufferToTheLibrary) {
  Open();
  const unsigned char row[] = {0x11, 0x22};
  EXPECT_EQ(1, display.Display(row, 2));
  EXPECT_EQ(1, display.Send());
  ASSERT_EQ(2u, fakevelt::library().shown.size());
  EXPECT_EQ(std::string("\x11\x22", 2) + std::string(126, '\0'), fakevelt::library().shown[1]);

  display.Sleep(1);
  fake::win().calls.clear();
  EXPECT_EQ(0, display.Send()) << "no port while asleep";
  EXPECT_TRUE(Recorded().empty());
}

TEST_F(VeltDisplayTest, WakeReinitialisesWithoutAskingTheCellCount) {
  Open();
  display.Sleep(1);
  EXPECT_EQ((Calls{"Fermeture()", "FreeLibrary()"}), Recorded());
  fake::win().calls.clear();
  display.Sleep(0);
  EXPECT_EQ("Initialisation(\"cells=40\")", Recorded()[6]);
  EXPECT_EQ("Affichage()", Recorded()[7]);
  EXPECT_TRUE(fake::Calls({"LongueurBarette"}).empty());
}

TEST_F(VeltDisplayTest, ACellCountAbove128NeverReachesPastTheBuffer) {
  fakevelt::library().cellCount = 300;
  ASSERT_EQ(1, display.Initialize("x", nullptr));
  EXPECT_EQ(128, display.CellCount()) << "as many as the buffer holds";
  unsigned char row[300];
  for (int i = 0; i < 300; ++i) row[i] = static_cast<unsigned char>(i + 1);
  EXPECT_EQ(1, display.Display(row, 300));
  EXPECT_EQ(128, static_cast<unsigned char>(fakevelt::library().shown.back()[127]));
}

TEST_F(VeltDisplayTest, APortThatCannotBeCreatedFailsTheOpen) {
  fake::win().heapFailures = 1;
  EXPECT_EQ(0, display.Initialize("x", nullptr));
  EXPECT_TRUE(Recorded().empty());
  EXPECT_EQ(0, display.Send());
}

// Decoding key packets.

// A message box shown while the port opens runs the host's messages: a timer
// or a row arriving then must not reach the library that is being opened.
TEST_F(VeltDisplayTest, NothingReachesAHalfOpenLibraryFromInsideItsMessageBox) {
  Open();
  display.Terminate();
  static VeltDisplay* reentered = &display;
  fake::win().onMessageBox = [] {
    const unsigned char row[] = {9};
    reentered->Poll();
    reentered->Display(row, 1);
    reentered->Send();
    EXPECT_EQ(0, reentered->Initialize("x", nullptr)) << "no second open meanwhile";
  };
  fake::win().modules.clear();
  fakevelt::Install({"LongueurBarette"});
  fake::win().calls.clear();
  EXPECT_EQ(0, display.Initialize("x", nullptr));
  EXPECT_TRUE(fake::Calls({"LectureClavier", "Affichage", "Initialisation"}).empty());
  EXPECT_EQ(1u, fake::Calls({"LoadLibraryA"}).size());
  fake::win().onMessageBox = nullptr;
}

TEST_F(VeltDisplayTest, VirtualKeyPacketsPressAndReleaseWithTheirScanCode) {
  Open();
  Feed({2, 0x02, 0x0D, 2, 0x01, 0x0D, 2, 0x03, 0x10, 2, 0x03, 0x25});
  EXPECT_EQ((Calls{"keybd_event(D,1C,0,0)", "keybd_event(D,1C,2,0)", "keybd_event(10,2A,0,0)",
                   "keybd_event(10,2A,2,0)", "keybd_event(25,4B,1,0)", "keybd_event(25,4B,3,0)"}),
            fake::Calls({"keybd_event"}))
      << "Left is an extended key, not numeric-keypad 4";
  EXPECT_EQ((Calls{"MapVirtualKeyA(D,0)", "MapVirtualKeyA(D,0)", "MapVirtualKeyA(10,0)",
                   "MapVirtualKeyA(10,0)", "MapVirtualKeyA(25,0)", "MapVirtualKeyA(25,0)"}),
            fake::Calls({"MapVirtualKeyA"}));
}

TEST_F(VeltDisplayTest, CharacterPacketsTypeThroughTheKeyboard) {
  Open();
  Feed({1, 0x02, 'A'});
  EXPECT_EQ((Calls{"keybd_event(10,2A,0,0)", "keybd_event(41,1E,0,0)"}),
            fake::Calls({"keybd_event"}));
  fake::win().calls.clear();
  Feed({1, 0x01, 'A'});
  EXPECT_EQ((Calls{"keybd_event(41,1E,2,0)", "keybd_event(10,2A,2,0)"}),
            fake::Calls({"keybd_event"}));
}

TEST_F(VeltDisplayTest, PacketsOfOtherTypesOrWithoutActionFlagsDoNothing) {
  Open();
  Feed({5, 0x02, 0x10, 0, 0x03, 1, 2, 0x00, 0x0D, 3, 0xFC, 4, 3, 0x01, 4});
  EXPECT_TRUE(fake::Calls({"keybd_event", "SendInput"}).empty());
  EXPECT_TRUE(chords.empty());
  Feed({3, 0x02, 7, 3, 0x01, 7});
  EXPECT_EQ(1u, chords.size()) << "still in step after the dropped packets";
}

TEST_F(VeltDisplayTest, APacketSplitAcrossPollsIsStillDecoded) {
  Open();
  fakevelt::library().events = {{3, 0x02, 5}};
  fake::win().ticks = {1, 1, 2};
  display.Poll();
  Feed({3, 0x01});
  EXPECT_TRUE(chords.empty());
  Feed({5});
  EXPECT_EQ((std::vector<std::pair<unsigned, int>>{{0x80000005u, 0}}), chords);
}

// Chords of display keys.

struct ChordCase {
  const char* name;
  std::vector<int> packets;  // type, flags, code triples
  std::vector<std::pair<unsigned, int>> reports;
};

const ChordCase kChords[] = {
    {"one key", {3, 2, 3, 3, 1, 3}, {{0x80000003u, 0}}},
    {"upper-bank code 5 with key 3", {3, 2, 3, 4, 2, 5, 3, 1, 3, 4, 1, 5}, {{0x80000381u, 5}}},
    {"index 0 alone", {3, 2, 0, 3, 1, 0}, {}},
    {"index 128", {4, 3, 0}, {{0x80000080u, 0}}},
    {"press and release in one packet", {4, 3, 10}, {{0x80000081u, 10}}},
    {"five keys keep the last four",
     {3, 2, 1, 3, 2, 2, 3, 2, 3, 3, 2, 4, 3, 2, 5, 3, 1, 5},
     {{0x82030405u, 0}}},
    {"the higher upper-bank key gives the parameter",
     {4, 2, 5, 4, 2, 9, 4, 1, 5},
     {{0x80008181u, 9}}},
    {"type-4 code 133 is index 5", {4, 2, 133, 3, 1, 5}, {{0x80000005u, 0}}},
    {"type-4 code 101 is in the second band", {4, 3, 101}, {{0x80000082u, 201}}},
    {"type-4 code 127", {4, 3, 127}, {{0x80000082u, 227}}},
    {"a new press while held starts a new chord",
     {3, 2, 1, 3, 1, 1, 3, 2, 1, 3, 2, 2, 3, 1, 2, 3, 1, 1},
     {{0x80000001u, 0}, {0x80000102u, 0}}},
    {"pressing a held key again is no new press",
     {3, 2, 6, 3, 1, 6, 3, 2, 7, 3, 2, 7, 3, 1, 7},
     {{0x80000006u, 0}, {0x80000007u, 0}}},
    {"releasing a key that is up does nothing", {3, 1, 9}, {}},
};

TEST_F(VeltDisplayTest, ChordsAreReportedOnceOnTheFirstRelease) {
  Open();
  for (const ChordCase& c : kChords) {
    chords.clear();
    for (int byte : c.packets) display.HandleInputByte(static_cast<unsigned char>(byte));
    EXPECT_EQ(c.reports, chords) << c.name;
    for (int key = 0; key < 256; ++key) display.ReleaseDisplayKey(key);
  }
}

// Each display-key press resets the idle timers, as a keystroke would, without
// keeping the system awake once the user stops (no ES_CONTINUOUS).
TEST_F(VeltDisplayTest, DisplayKeyPressesCountAsUserActivity) {
  Open();
  Feed({3, 0x02, 7, 4, 0x02, 9, 3, 0x01, 7, 1, 0x03, 'a', 2, 0x03, 0x0D});
  EXPECT_EQ((Calls{"SetThreadExecutionState(3)", "SetThreadExecutionState(3)"}),
            fake::Calls({"SetThreadExecutionState"}));
}

TEST_F(VeltDisplayTest, WithoutACallbackChordsAreTrackedButNotReported) {
  Open(nullptr);
  Feed({3, 2, 3, 3, 1, 3});
  EXPECT_TRUE(chords.empty());
}

}  // namespace

// Keys held when the display goes away.

namespace {

const Calls kShiftAReleased = {"keybd_event(41,1E,2,0)", "keybd_event(10,2A,2,0)"};

class HeldKeysTest : public VeltDisplayTest {
 protected:
  void HoldKeys() {
    Feed({1, 0x02, 'A', 2, 0x02, 0x11});
    fake::win().calls.clear();
  }
  static Calls Join(Calls a, const Calls& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
};

TEST_F(HeldKeysTest, TerminateAndSleepReleaseWhatTheDisplayHolds) {
  Open();
  HoldKeys();
  display.Terminate();
  EXPECT_EQ(Join(kShiftAReleased, {"keybd_event(11,1D,2,0)"}), fake::Calls({"keybd_event"}));

  ASSERT_EQ(40, (display.Initialize("x", nullptr), display.CellCount()));
  HoldKeys();
  display.Sleep(1);
  EXPECT_EQ(Join(kShiftAReleased, {"keybd_event(11,1D,2,0)"}), fake::Calls({"keybd_event"}));
  fake::win().calls.clear();
  Feed({1, 0x01, 'A', 2, 0x01, 0x11});
  EXPECT_EQ(3u, fake::Calls({"keybd_event"}).size()) << "late releases still go out, harmlessly";
}

TEST_F(HeldKeysTest, UnloadReleasesWhatTheDisplayHolds) {
  {
    VeltDisplay other;
    other.HandleInputByte(1);
    other.HandleInputByte(0x02);
    other.HandleInputByte('A');
    fake::win().calls.clear();
  }
  EXPECT_EQ(kShiftAReleased, fake::Calls({"keybd_event"}));
}

int WINAPI TerminateFromCallback(int, int) {
  theDisplay->Terminate();
  return 0;
}

TEST_F(HeldKeysTest, KeysPressedAfterACallbackClosedTheDisplayAreReleasedWithThePoll) {
  Open(TerminateFromCallback);
  fakevelt::library().events = {{3, 0x03, 1}, {1, 0x02, 'A'}};
  fake::win().ticks = {5, 5, 5, 6};
  display.Poll();
  EXPECT_EQ(Join({"keybd_event(10,2A,0,0)", "keybd_event(41,1E,0,0)"}, kShiftAReleased),
            fake::Calls({"keybd_event"}));
}

}  // namespace
