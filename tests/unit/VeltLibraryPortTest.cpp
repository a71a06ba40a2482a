#include <gtest/gtest.h>

#include "../../src/driver/port/VeltLibraryPort.h"
#include "FakeVelt.h"

using Calls = std::vector<std::string>;

namespace {

const Calls kBind = {"LoadLibraryA(\"VELT.DLL\")",    "GetProcAddress(\"Initialisation\")",
                     "GetProcAddress(\"Fermeture\")", "GetProcAddress(\"LectureClavier\")",
                     "GetProcAddress(\"Affichage\")", "GetProcAddress(\"LongueurBarette\")"};
const char kLoadError[] =
    "MessageBoxA(0,\"Impossible de charger le fichier VELT.DLL\",\"Erreur de chargement\",0)";

Calls Then(Calls first, const Calls& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

class VeltLibraryPortTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  void TearDown() override { EXPECT_EQ(0, fakevelt::References()) << "library unloaded"; }
  Calls Recorded() { return fake::win().calls; }
};

TEST_F(VeltLibraryPortTest, OpenBindsTheLibraryAndInitialisesIt) {
  fakevelt::Install();
  {
    VeltLibraryPort port;
    EXPECT_EQ(1, port.Open("cells=40"));
    EXPECT_EQ(Then(kBind, {"Initialisation(\"cells=40\")"}), Recorded());
    EXPECT_EQ(1, fakevelt::References());
    EXPECT_TRUE(VeltLibraryPort::Binding().Affichage);
    fake::win().calls.clear();
  }
  EXPECT_EQ((Calls{"Fermeture()", "FreeLibrary()"}), Recorded());
  EXPECT_FALSE(VeltLibraryPort::Binding().module);
  EXPECT_FALSE(VeltLibraryPort::Binding().LongueurBarette) << "unbound after destruction";
}

TEST_F(VeltLibraryPortTest, AMissingLibraryShowsTheLoadingMessage) {
  {
    VeltLibraryPort port;
    EXPECT_EQ(0, port.Open("x"));
  }
  EXPECT_EQ((Calls{"LoadLibraryA(\"VELT.DLL\")", kLoadError}), Recorded())
      << "nothing to close or free";
}

TEST_F(VeltLibraryPortTest, ALibraryLackingOneEntryPointShowsTheLoadingMessageAndIsClosed) {
  fakevelt::Install({"LongueurBarette"});
  {
    VeltLibraryPort port;
    EXPECT_EQ(0, port.Open("x"));
    EXPECT_EQ(Then(kBind, {kLoadError}), Recorded()) << "Initialisation never ran";
    fake::win().calls.clear();
  }
  EXPECT_EQ((Calls{"Fermeture()", "FreeLibrary()"}), Recorded());

  fake::Reset();
  fakevelt::Install({"Fermeture"});
  {
    VeltLibraryPort port;
    EXPECT_EQ(0, port.Open("x"));
    fake::win().calls.clear();
  }
  EXPECT_EQ(Calls{"FreeLibrary()"}, Recorded()) << "no Fermeture to call";
}

TEST_F(VeltLibraryPortTest, AFailedInitialisationIsQuietAndStillClosed) {
  fakevelt::Install();
  fakevelt::library().initialisationResult = 0;
  {
    VeltLibraryPort port;
    EXPECT_EQ(0, port.Open("x"));
    EXPECT_TRUE(fake::Calls({"MessageBoxA"}).empty());
    fake::win().calls.clear();
  }
  EXPECT_EQ((Calls{"Fermeture()", "FreeLibrary()"}), Recorded());
}

TEST_F(VeltLibraryPortTest, ReadPacksEventsWithinOneTick) {
  fakevelt::Install();
  VeltLibraryPort port;
  port.Open("x");
  unsigned char buffer[80] = {};

  fakevelt::library().events = {{3, 0x02, 5}, {9, 0x02, 1}, {1, 0x01, 0xE9}, {0, 0, 0}};
  fake::win().ticks = {50, 50, 50, 50, 51};
  EXPECT_EQ(6, port.Read(buffer, 80, 0)) << "results outside 1 to 4 are skipped";
  EXPECT_EQ(std::string("\x03\x02\x05\x01\x01\xE9", 6), std::string(buffer, buffer + 6));

  fakevelt::library().events = {{2, 0x02, 0x0D}, {2, 0x01, 0x0D}};
  fake::win().ticks = {60, 61};
  EXPECT_EQ(3, port.Read(buffer, 80, 0)) << "the tick moved on after the first event";
  EXPECT_EQ(1u, fakevelt::library().events.size());
}

// On a 16 ms tick: a quiet read waits in 1 ms sleeps, ends as soon as the tick
// has moved on, and still takes an event handed out late in its tick.
TEST_F(VeltLibraryPortTest, AQuietReadSleepsUntilTheTickMovesOn) {
  fakevelt::Install();
  VeltLibraryPort port;
  port.Open("x");
  fake::win().tickPeriodMs = 16;
  fake::win().clockUs = 32000;
  fake::win().calls.clear();
  unsigned char buffer[80];
  EXPECT_EQ(0, port.Read(buffer, 80, 0));
  EXPECT_GE(fake::win().clockUs, 48000u) << "lasts until the tick moves on";
  EXPECT_LT(fake::win().clockUs, 49100u) << "and at most one sleep longer";
  EXPECT_LE(fake::Calls({"LectureClavier"}).size(), 17u) << "sleeps between reads";

  fake::win().clockUs = 64000;
  fakevelt::library().events = {{3, 0x02, 5, 79500}, {3, 0x01, 5, 79500}};
  EXPECT_EQ(3, port.Read(buffer, 80, 0)) << "the event due at 15.5 ms of the tick";
  EXPECT_EQ(std::string("\x03\x02\x05", 3), std::string(buffer, buffer + 3));
}

TEST_F(VeltLibraryPortTest, ReadStopsWhenThreeBytesNoLongerFit) {
  fakevelt::Install();
  VeltLibraryPort port;
  port.Open("x");
  for (int i = 0; i < 30; ++i) fakevelt::library().events.push_back({4, 0x03, 1});
  fake::win().ticks = std::deque<DWORD>(40, 9);
  unsigned char buffer[80];
  EXPECT_EQ(78, port.Read(buffer, 80, 0));
  unsigned char small[2];
  EXPECT_EQ(0, port.Read(small, 2, 0));
  EXPECT_EQ(4u, fakevelt::library().events.size());
}

TEST_F(VeltLibraryPortTest, WritingDoesNothing) {
  fakevelt::Install();
  VeltLibraryPort port;
  port.Open("x");
  fake::win().calls.clear();
  const unsigned char bytes[] = {1, 2};
  EXPECT_EQ(1, port.WriteByte(1));
  EXPECT_EQ(1, port.Write(bytes, 2));
  EXPECT_TRUE(Recorded().empty());
}

}  // namespace
