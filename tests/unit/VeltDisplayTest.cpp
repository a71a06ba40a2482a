#include <gtest/gtest.h>

#include <algorithm>

#include "../../src/driver/model/VeltDisplay.h"
#include "FakeFiles.h"
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

// Watching the display. The host polls every 50 ms and shows one row; the
// display answers as each case says; time is the stand-in's tick counter, set
// by the test before each poll. Times are in ms after BrlInit, to 0.1 s: an
// interval ends at the first poll after it.

namespace {

const DWORD kOpenedAt = 100000;
const unsigned char kRow[] = {0x3F, 0x07};

class WatchTest : public HeldKeysTest {
 protected:
  void OpenWithRow() {
    display.Terminate();
    SetUp();
    at = 50;
    fake::win().lastTick = kOpenedAt;
    Open();
    display.Display(kRow, 2);
    fakevelt::library() = fakevelt::Library();
  }
  // Before each poll, before(t) sets what the display does at that time.
  void PollUntil(DWORD ms, void (*before)(DWORD) = nullptr) {
    for (; at <= ms; at += 50) {
      if (before) before(at);
      fake::win().lastTick = std::max(fake::win().lastTick, kOpenedAt + at);
      display.Poll();
    }
  }
  static std::vector<DWORD> Times(const std::vector<DWORD>& ticks) {
    std::vector<DWORD> times;
    for (DWORD tick : ticks) times.push_back((tick - kOpenedAt) / 100 * 100);
    return times;
  }
  // When the display last showed a row starting with cell; 0 for never.
  static DWORD ShownAt(unsigned char cell) {
    const fakevelt::Library& velt = fakevelt::library();
    for (size_t i = velt.shown.size(); i-- > 0;) {
      if (velt.shown[i][0] == static_cast<char>(cell)) return Times(velt.shownAt)[i];
    }
    return 0;
  }
  DWORD at = 50;
};

TEST_F(WatchTest, AQuietDisplayIsAskedTwiceASecondAndKeysNeverWait) {
  OpenWithRow();
  PollUntil(3000);
  EXPECT_EQ((std::vector<DWORD>{500, 1000, 1500, 2000, 2500, 3000}),
            Times(fakevelt::library().askedAt));
  EXPECT_TRUE(fakevelt::library().shown.empty()) << "a display that stays on gets no row again";
  for (int i = 0; i < 60; ++i) fakevelt::library().events.push_back({3, 0x03, 9});
  PollUntil(6000);
  EXPECT_EQ(6u, fakevelt::library().askedAt.size()) << "polls that take keys do not ask";
}

struct Outage {
  const char* name;
  int answer;      // LongueurBarette meanwhile: -1 switched off, 0 unplugged
  DWORD from, to;  // the display away
  DWORD backBy;    // the row shown again by then
  int freshStarts;
};

const Outage kOutages[] = {
    {"switched off for 1.5 s", -1, 1000, 2500, 2500, 0},
    {"unplugged for 3 s", 0, 1000, 4000, 6000, 2},
    {"unplugged for 0.3 s", 0, 1000, 1300, 3000, 1},
};

const Outage* outage = nullptr;

// While unplugged Initialisation fails; plugged in again, the display answers
// only after a fresh Initialisation.
void Play(DWORD t) {
  fakevelt::Library& velt = fakevelt::library();
  bool away = t >= outage->from && t < outage->to;
  if (t == outage->to && outage->answer == 0) velt.awaitingInitialisation = true;
  velt.cellCount = away ? outage->answer : 40;
  velt.initialisationResult = away && outage->answer == 0 ? 0 : 1;
}

TEST_F(WatchTest, AfterAnOutageTheRowComesBackAndNoKeyStaysDown) {
  const unsigned char newRow[] = {0x11};
  for (const Outage& c : kOutages) {
    OpenWithRow();
    outage = &c;
    HoldKeys();
    fakevelt::library().events = {{3, 0x02, 1}};
    PollUntil(c.from + 500, Play);
    EXPECT_EQ(Join(kShiftAReleased, {"keybd_event(11,1D,2,0)"}), fake::Calls({"keybd_event"}))
        << c.name << ": let go at once";
    PollUntil(c.to - 50, Play);
    EXPECT_EQ(1, display.Display(newRow, 1)) << c.name << ": the host's calls answer as before";
    PollUntil(c.backBy + 500, Play);
    EXPECT_EQ(c.backBy, ShownAt(0x11)) << c.name;
    EXPECT_EQ(c.freshStarts, fakevelt::library().initialisations) << c.name;
    EXPECT_TRUE(fake::Calls({"MessageBoxA"}).empty()) << c.name;
    chords.clear();
    fakevelt::library().events = {{3, 0x02, 2}, {3, 0x01, 2}};
    PollUntil(at + 100, Play);
    EXPECT_EQ((std::vector<std::pair<unsigned, int>>{{0x80000002u, 0}}), chords)
        << c.name << ": key 1, held as the display left, is in no chord";
  }
}

void Unplugged(DWORD t) {
  fakevelt::library().cellCount = t < 1000 ? 40 : 0;
  fakevelt::library().initialisationResult = 0;
}

TEST_F(WatchTest, FreshStartsComeLessOftenAndEndOnceOneIsSlow) {
  OpenWithRow();
  PollUntil(300100, Unplugged);
  std::vector<DWORD> starts = Times(fakevelt::library().initialisedAt);
  std::vector<DWORD> expected;
  for (DWORD t = 3000; t <= 60000; t += 3000) expected.push_back(t);
  for (DWORD t = 90000; t <= 300000; t += 30000) expected.push_back(t);
  EXPECT_EQ(expected, starts) << "2 s after the first 0, every 3 s, after a minute every 30 s";

  OpenWithRow();
  fakevelt::library().initialisationMs = 1200;
  PollUntil(20000, Unplugged);
  EXPECT_EQ(1, fakevelt::library().initialisations) << "none after one over a second";
  fakevelt::library().initialisationResult = 1;
  display.Sleep(1);
  display.Sleep(0);
  EXPECT_NE(0u, ShownAt(kRow[0])) << "a wake still opens the display";
  EXPECT_TRUE(fake::Calls({"MessageBoxA"}).empty());
}

TEST_F(WatchTest, SlowAnswersAreAskedForLessOftenUpTo8s) {
  OpenWithRow();
  fakevelt::library().askMs = 60;
  PollUntil(40000);
  EXPECT_EQ((std::vector<DWORD>{500, 1500, 3500, 7500, 15500, 23500, 31500, 39500}),
            Times(fakevelt::library().askedAt));
}

TEST_F(WatchTest, APauseOfThePcSendsTheRowAgain) {
  OpenWithRow();
  PollUntil(1000);
  at = 5950;
  PollUntil(5950);
  EXPECT_EQ(0u, ShownAt(kRow[0])) << "4.95 s between polls is no pause";
  at = 11000;
  PollUntil(11000);
  EXPECT_EQ(11000u, ShownAt(kRow[0]));
}

TEST_F(WatchTest, NoAskWithTheWatchOffAsleepOrClosed) {
  fake::files().environment[L"BRLVELT_WATCH"] = L"0";
  OpenWithRow();
  PollUntil(2000);
  fake::files().environment.clear();
  OpenWithRow();
  display.Sleep(1);
  PollUntil(4000);
  display.Sleep(0);
  display.Terminate();
  PollUntil(6000);
  EXPECT_TRUE(fakevelt::library().askedAt.empty());
}

TEST_F(WatchTest, AnswersThatFlapSendTheRowAtMostOnceAnAsk) {
  OpenWithRow();
  HoldKeys();
  PollUntil(10000, [](DWORD) {
    const int answers[] = {-1, 100000, 0, 40, -100000, 129};
    fakevelt::library().cellCount = answers[fakevelt::library().askedAt.size() % 6];
  });
  EXPECT_LE(fakevelt::library().shown.size(), fakevelt::library().askedAt.size() / 2 + 1);
  EXPECT_NE(0u, fakevelt::library().shown.size());
  EXPECT_TRUE(fake::Calls({"MessageBoxA"}).empty());
  EXPECT_EQ(Join(kShiftAReleased, {"keybd_event(11,1D,2,0)"}), fake::Calls({"keybd_event"}));
}

}  // namespace
