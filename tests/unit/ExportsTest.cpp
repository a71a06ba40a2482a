// The exports over the library's own static display object. Each test runs in a
// process of its own, so each starts from library load.
#include <gtest/gtest.h>
#include <string.h>

#include <random>

#include "../../include/brlvelt.h"
#include "../../src/shared/log/Log.h"
#include "../../src/shared/log/LogFile.h"
#include "../../src/shared/log/LogLine.h"
#include "FakeFiles.h"
#include "FakeVelt.h"

using Calls = std::vector<std::string>;

namespace {

class ExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fakevelt::Install();
  }
  Calls Recorded() { return fake::win().calls; }
  size_t Shown() { return fakevelt::library().shown.size(); }
  const unsigned char row[3] = {1, 2, 3};
};

TEST_F(ExportsTest, BeforeInitNothingIsOpen) {
  EXPECT_EQ(1, BrlDisplay(row, 3));
  EXPECT_EQ(1, BrlDisplayStatus(row, 3));
  EXPECT_EQ(1, BrlClear());
  EXPECT_EQ(0, BrlRefresh());
  EXPECT_EQ(0, BrlTimer());
  EXPECT_EQ(0, BrlTerminate());
  EXPECT_TRUE(Recorded().empty());
  EXPECT_EQ(1, BrlSleep(1));
  EXPECT_EQ(1, BrlSleep(1));
}

TEST_F(ExportsTest, InitReturnsTheCellCountAndRefusesASecondOpen) {
  EXPECT_EQ(40, BrlInit("cells=40", nullptr));
  EXPECT_EQ(0, BrlInit("cells=80", nullptr));
  EXPECT_EQ(1u, fakevelt::library().initialisations);
  BrlSleep(1);
  BrlSleep(0);
  EXPECT_EQ("Initialisation(\"cells=80\")", fake::Calls({"Initialisation"}).back())
      << "the refused call still replaced the settings";

  BrlTerminate();
  BrlSleep(1);
  BrlSleep(0);
  BrlTerminate();
  fakevelt::library().cellCount = 300;
  EXPECT_EQ(128, BrlInit("cells=300", nullptr)) << "at most the 128 cells of the buffer";
}

TEST_F(ExportsTest, RefreshResendsUnchangedCellsButDisplayDoesNot) {
  BrlInit("x", nullptr);
  EXPECT_EQ(1, BrlDisplay(row, 3));
  EXPECT_EQ(1, BrlDisplay(row, 3));
  EXPECT_EQ(1u, Shown());
  EXPECT_EQ(1, BrlRefresh());
  EXPECT_EQ(2u, Shown());
  EXPECT_EQ(fakevelt::library().shown[0], fakevelt::library().shown[1]);
}

TEST_F(ExportsTest, AfterTerminateTheCountStaysButThePortIsGone) {
  BrlInit("x", nullptr);
  BrlDisplay(row, 3);
  BrlTerminate();
  EXPECT_EQ(2u, Shown()) << "cleared before closing";
  EXPECT_EQ(0, BrlDisplay(row, 3));
  EXPECT_EQ(1, BrlDisplay(row, 3));
  EXPECT_EQ(2u, Shown());
  EXPECT_EQ(0, fakevelt::References());
}

TEST_F(ExportsTest, AFailedConnectHoldsThePortUntilTerminate) {
  fakevelt::library().cellCount = 0;
  EXPECT_EQ(0, BrlInit("x", nullptr));
  fakevelt::library().cellCount = 40;
  EXPECT_EQ(0, BrlInit("x", nullptr));
  BrlTerminate();
  EXPECT_EQ(40, BrlInit("x", nullptr));
}

TEST_F(ExportsTest, AnOverlongSettingsStringOpensNothing) {
  std::string settings(200, 'k');
  EXPECT_EQ(0, BrlInit(settings.c_str(), nullptr));
  EXPECT_EQ(0, BrlInit(nullptr, nullptr));
  EXPECT_TRUE(Recorded().empty());
}

// Random host sessions, with the device library failing at random: every load is
// matched by an unload and every Initialisation, failed or not, by a Fermeture, but for
// the port that is open at the end.
TEST_F(ExportsTest, LibraryLoadsAndInitialisationsStayBalanced) {
  std::mt19937 random(20261208);
  bool open = false;
  for (int step = 0; step < 4000; ++step) {
    fakevelt::library().initialisationResult = random() % 5 != 0;
    int counts[] = {40, 80, 0, -1};
    fakevelt::library().cellCount = counts[random() % 4];
    switch (random() % 6) {
      case 0:
        BrlInit("cells=40", nullptr);
        break;
      case 1:
        BrlSleep(static_cast<int>(random() % 3));
        break;
      case 2:
        BrlTerminate();
        break;
      case 3:
        BrlDisplay(row, static_cast<int>(random() % 4));
        break;
      case 4:
        BrlRefresh();
        break;
      case 5:
        BrlTimer();
        break;
    }
    int references = fakevelt::References();
    ASSERT_LE(references, 1) << "step " << step;
    open = references == 1;
    const fakevelt::Library& library = fakevelt::library();
    ASSERT_LE(library.initialisations - library.fermetures, open ? 1 : 0) << "step " << step;
  }
  BrlTerminate();
  EXPECT_EQ(0, fakevelt::References());
  EXPECT_EQ(fakevelt::library().initialisations, fakevelt::library().fermetures);
  EXPECT_EQ(0, fake::win().heapBlocks);
}

// The support log. A session as the host and its user see it: a box, odd
// answers of the library, typing, a virtual key, a chord, sleep and wake.
struct Secrets {
  unsigned char character;
  unsigned char virtualKey;
  unsigned char cell;
  unsigned char displayKey;  // a chord a host may read as braille typed
};
const Secrets kPlain = {'a', VK_LEFT, 0x11, 1};
const wchar_t kLocal[] = L"C:\\Users\\u\\AppData\\Local";
const wchar_t kLogFile[] = L"C:\\Users\\u\\AppData\\Local\\brlvelt\\brlvelt.log";
std::string chords;

int BRL_CALLBACK OnKey(int code, int param) {
  chords += fake::Hex(static_cast<unsigned>(code)) + "/" + std::to_string(param) + " ";
  return 0;
}

// The log's switch and files as given, read as the driver does when it loads.
void StartLog(std::map<std::wstring, std::wstring> environment) {
  fake::files() = fake::FileSystem();
  fake::files().environment = environment;
  fake::files().folders = {kLocal};
  Log::Start();
}

// Results, boxes, key events, chords and the device library's calls.
std::string Session(const Secrets& secrets) {
  fake::Reset();
  fakevelt::Install();
  chords.clear();
  fakevelt::Library& library = fakevelt::library();
  library.cellCount = -1;
  std::string seen = std::to_string(BrlInit("cells=40", OnKey));
  BrlTerminate();
  library.cellCount = 40;
  library.events = {{9, 0, 0},
                    {9, 0, 0},
                    {1, 0x03, secrets.character},
                    {2, 0x03, secrets.virtualKey},
                    {3, 0x02, secrets.displayKey},
                    {3, 0x01, secrets.displayKey}};
  seen += std::to_string(BrlInit("cells=40", OnKey));
  unsigned char row[40];
  memset(row, secrets.cell, sizeof row);
  seen += std::to_string(BrlDisplay(row, 40));
  for (int i = 0; i < 8; ++i) seen += std::to_string(BrlTimer());
  seen += std::to_string(BrlSleep(1));
  seen += std::to_string(BrlSleep(0));
  seen += std::to_string(BrlTerminate()) + chords + "\n";
  for (const std::string& call : fake::Calls(
           {"MessageBoxA", "keybd_event", "SendInput", "Sleep", "SetThreadExecutionState",
            "Initialisation", "LongueurBarette", "Affichage", "LectureClavier", "Fermeture"})) {
    seen += call + "\n";
  }
  return seen;
}

// What the user types and reads appears only at the second level, and the
// cells never. Each row changes one secret between two otherwise equal sessions.
TEST(Log, TheDefaultLevelKeepsTypedTextKeyCodesAndCellsOut) {
  struct Case {
    const char* secret;
    Secrets other;
    bool shownAtSecondLevel;
  } cases[] = {{"typed character", {'z', VK_LEFT, 0x11, 1}, true},
               {"virtual key", {'a', VK_RIGHT, 0x11, 1}, true},
               {"cell", {'a', VK_LEFT, 0xEE, 1}, false},
               {"chord", {'a', VK_LEFT, 0x11, 9}, true}};
  StartLog({{L"BRLVELT_LOG", L"1"}, {L"LOCALAPPDATA", kLocal}});
  Session(kPlain);  // layouts learned before the sessions compared
  for (const Case& c : cases) {
    for (const wchar_t* level : {L"1", L"2"}) {
      StartLog({{L"BRLVELT_LOG", level}, {L"LOCALAPPDATA", kLocal}});
      Session(kPlain);
      std::string plain = fake::files().files[kLogFile];
      StartLog({{L"BRLVELT_LOG", level}, {L"LOCALAPPDATA", kLocal}});
      Session(c.other);
      bool shown = plain != fake::files().files[kLogFile];
      EXPECT_EQ(*level == L'2' && c.shownAtSecondLevel, shown)
          << c.secret << ", level " << (*level == L'2' ? 2 : 1);
    }
  }
}

using Words = std::vector<const char*>;

// The position after the first line from from on that holds each word whole,
// between spaces, quotes, commas or colons; npos where none does.
size_t AfterLineWith(const std::string& log, size_t from, const Words& words) {
  for (size_t end; (end = log.find("\r\n", from)) != std::string::npos; from = end + 2) {
    std::string line = " " + log.substr(from, end - from) + " ";
    for (char& ch : line) ch = ch == '"' || ch == ',' || ch == ':' ? ' ' : ch;
    size_t found = 0;
    for (const char* word : words) found += line.find(" " + std::string(word) + " ") != line.npos;
    if (found == words.size()) return end + 2;
  }
  return std::string::npos;
}

// What a support reader needs from the default level, in the order it happened:
// what the host asked, which call failed with what answer, the box the user saw
// and what the host got; the library's odd answers, the first and how many more;
// the layout typed on and its KLID, how a character went (not which), a chord's
// size (not its keys); sleep, closing, wake. The layout is learned, and logged,
// once per process: this test needs a process of its own.
TEST(Log, TheDefaultLevelTellsWhatFailedAndWhy) {
  StartLog({{L"BRLVELT_LOG", L"1"}, {L"LOCALAPPDATA", kLocal}});
  Session(kPlain);
  const std::string& log = fake::files().files[kLogFile];
  size_t at = 0;
  for (const Words& words : {Words{"BrlInit", "cells=40"},
                             {"VELT.DLL", "loaded"},
                             {"LongueurBarette", "-1"},
                             {"box", "terminal", "braille"},
                             {"BrlInit", "0"},
                             {"LongueurBarette", "40"},
                             {"LectureClavier", "answered", "9"},
                             {"LectureClavier", "answered", "1", "more", "times"},
                             {"layout", "0x04090409", "learned", "KLID", "0x00000409"},
                             {"character", "key"},
                             {"chord", "of", "1", "key"},
                             {"sleep"},
                             {"Fermeture"},
                             {"wake"}}) {
    at = AfterLineWith(log, at, words);
    ASSERT_NE(std::string::npos, at) << words[0] << " " << words.back() << ", in order, in\n"
                                     << log;
  }
}

// The log never fills the disk: two files at most, of kLimit bytes and the line
// that crossed it, the older replaced; where it cannot be replaced, new lines
// are dropped instead.
TEST(Log, TwoFilesAtMost) {
  const std::wstring old = L"C:\\Users\\u\\AppData\\Local\\brlvelt\\brlvelt.old.log";
  for (bool blocked : {false, true}) {
    StartLog({{L"BRLVELT_LOG", L"1"}, {L"LOCALAPPDATA", kLocal}});
    if (blocked) fake::files().folders.insert(old);
    fake::win().recordOnly = {"MoveFileExW"};
    int lines = 3 * LogFile::kLimit / 60;
    for (int i = 0; i < lines; ++i) LogLine().Text("line ").Number(i);
    const std::string& current = fake::files().files[kLogFile];
    size_t lineSize = current.size() - current.rfind("\r\n", current.size() - 3) - 2;
    EXPECT_LE(current.size(), LogFile::kLimit + lineSize) << blocked;
    std::string last = "line " + std::to_string(lines - 1) + "\r\n";
    bool lastWritten = current.compare(current.size() - last.size(), last.size(), last) == 0;
    EXPECT_EQ(!blocked, lastWritten) << blocked;
    if (blocked) continue;
    EXPECT_EQ(2u, fake::Calls({"MoveFileExW"}).size()) << "moved aside at each crossing";
    const std::string& older = fake::files().files[old];
    EXPECT_LE(older.size(), LogFile::kLimit + lineSize);
    size_t first = strtoul(current.c_str() + current.find("line ") + 5, nullptr, 10);
    EXPECT_NE(std::string::npos, older.find("line " + std::to_string(first - 1) + "\r\n"))
        << "no line lost between the two files";
  }
}

// Switched on but unable to write, or switched unreadably: the driver does exactly
// what it does with the log off, and leaves no file.
TEST(Log, NothingChangesWhenTheLogCannotBeWritten) {
  StartLog({});
  std::string off = Session(kPlain);
  struct Case {
    const char* what;
    std::map<std::wstring, std::wstring> environment;
    bool readOnly;
    size_t room;
  } cases[] = {
      {"no LOCALAPPDATA", {{L"BRLVELT_LOG", L"1"}}, false, SIZE_MAX},
      {"path too long",
       {{L"BRLVELT_LOG", L"1"}, {L"LOCALAPPDATA", std::wstring(250, L'x')}},
       false,
       SIZE_MAX},
      {"missing folder", {{L"BRLVELT_LOG", L"1"}, {L"LOCALAPPDATA", L"C:\\gone"}}, false, SIZE_MAX},
      {"read-only", {{L"BRLVELT_LOG", L"2"}, {L"LOCALAPPDATA", kLocal}}, true, SIZE_MAX},
      {"disk full", {{L"BRLVELT_LOG", L"2"}, {L"LOCALAPPDATA", kLocal}}, false, 0},
      {"unreadable switch", {{L"BRLVELT_LOG", L"yes"}, {L"LOCALAPPDATA", kLocal}}, false, SIZE_MAX},
      {"switch too long", {{L"BRLVELT_LOG", L"1111"}, {L"LOCALAPPDATA", kLocal}}, false, SIZE_MAX},
  };
  for (const Case& c : cases) {
    StartLog(c.environment);
    fake::files().readOnly = c.readOnly;
    fake::files().room = c.room;
    SetLastError(0);
    EXPECT_EQ(off, Session(kPlain)) << c.what;
    EXPECT_EQ(0u, GetLastError()) << c.what;
    std::string left;
    for (const auto& file : fake::files().files) left += file.second;
    EXPECT_EQ("", left) << c.what;
  }
}

}  // namespace
