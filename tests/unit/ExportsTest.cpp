// The exports over the library's own static display object. Each test runs in a
// process of its own, so each starts from library load.
#include <gtest/gtest.h>

#include <random>

#include "../../include/brlvelt.h"
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

}  // namespace
