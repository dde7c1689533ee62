// The exact access sequences of the board protocols, on a recording port at
// LPT2 (data 632, control 634), IoDelay 7, ProgPulse 3.
#include <gtest/gtest.h>

#include "BoardRoutines.h"
#include "core_fakes.h"

namespace {

struct Rig {
  Recorder rec{632};
  PortSettings settings{632, 7, 3, true};
  RoutineServices services{rec, rec, settings, rec, rec};
};

const Events kStartReading{"C00", "d7", "C22", "d7"};

Events readLocation(int i) {
  return {tagged("v", i), "d7", "R", "d7", "C23", "d7", "C22"};
}

Events burnLocation(int i, std::uint8_t value, int pulses) {
  Events events{tagged("v", i), "d7"};
  for (int p = 0; p < pulses; ++p)
    then(events, {tagged("D", value, true), "C0E", "p3", "C0A", "d7", "C22", "d21", "R", "C0A"});
  then(events, {"d7", "C0B", "d7", "C0A"});
  return events;
}

TEST(Read_Eprom, ReadsEveryLocationWithItsDelaysAndLeavesControlAt22h) {
  Rig rig;
  rig.rec.reads = {0x12, 0x34, 0x56};
  MemoryImage image(8);
  Read_Eprom(rig.services, 632, 3, image);
  Events expected = kStartReading;
  for (int i = 1; i <= 3; ++i) then(expected, readLocation(i));
  EXPECT_EQ(rig.rec.events, expected);
  ASSERT_EQ(image.size(), 3);
  EXPECT_EQ(image.element(1), 0x12);
  EXPECT_EQ(image.element(3), 0x56);
}

TEST(Blank_Check, StopsAtTheFirstLocationThatIsNotFFh) {
  Rig rig;
  rig.rec.reads = {0xFF, 0xFF, 0xFE, 0xFF};
  EXPECT_FALSE(Blank_Check(rig.services, 632, 4));
  Events expected = kStartReading;
  then(expected, readLocation(1));
  then(expected, readLocation(2));
  then(expected, {"v3", "d7", "R"});  // nothing after the failing read
  EXPECT_EQ(rig.rec.events, expected);
}

TEST(Write_Eprom, BlankCheckFirstThenEveryLocationPulsedAtLeastOnce) {
  Rig rig;
  rig.rec.reads = {0xFF, 0xFF, 0xFF, 0x00};  // blank check of 2, then the read-backs
  MemoryImage image(2);
  image.at(0) = 0xFF;  // what the blank chip holds already: still one pulse
  Write_Eprom(rig.services, 632, 2, image);
  Events expected = kStartReading;
  then(expected, readLocation(1));
  then(expected, readLocation(2));
  then(expected, {"C08", "d7", "C0A", "d7"});
  then(expected, burnLocation(1, 0xFF, 1));
  then(expected, burnLocation(2, 0x00, 1));
  then(expected, {"C00"});
  EXPECT_EQ(rig.rec.events, expected);
}

TEST(Write_Eprom, RetriesUntilVerifiedAndStopsAfterTenPulsesWithBadEprom) {
  Rig rig;
  rig.settings.VerifyEmpty = false;
  rig.rec.reads = {0xA5, 0xFF, 0xFF, 0x3C};  // then never 77h
  MemoryImage image(4);
  image.at(0) = 0xA5;
  image.at(1) = 0x3C;
  image.at(2) = 0x77;
  EXPECT_EQ(Write_Eprom(rig.services, 632, 4, image), WriteOutcome::BadEprom);
  Events expected{"C08", "d7", "C0A", "d7"};
  then(expected, burnLocation(1, 0xA5, 1));
  then(expected, burnLocation(2, 0x3C, 3));
  then(expected, burnLocation(3, 0x77, 10));  // stepped past before the message
  then(expected, {"box:Warning !|Bad Eprom|C", "C00"});
  EXPECT_EQ(rig.rec.events, expected);
}

TEST(Write_Eprom, ChipThatIsNotBlankIsRefusedWithNoFurtherAccess) {
  Rig rig;
  rig.rec.reads = {0xFF, 0x00};
  EXPECT_EQ(Write_Eprom(rig.services, 632, 3, MemoryImage(3)), WriteOutcome::NotBlank);
  Events expected = kStartReading;
  then(expected, readLocation(1));
  then(expected, {"v2", "d7", "R", "box:Warning !|The Eprom is not Empty|I"});
  EXPECT_EQ(rig.rec.events, expected);
}

// Says "stop" from its `stopAt`-th question on.
struct StopAt final : StopRequest {
  explicit StopAt(int n) : stopAt(n) {}
  bool requested() const override { return ++asked >= stopAt; }
  int stopAt;
  mutable int asked = 0;
};

TEST(BoardRoutines, AStopComesBetweenTwoLocationsAndLeavesTheBoardIdle) {
  // Each routine, told to stop before its second location: the first one is
  // complete, control goes to 00h, and nothing else happens.
  const Events stopped{"C00"};
  {
    Rig rig;
    const StopAt stop(2);
    rig.services.stop = &stop;
    MemoryImage image;
    EXPECT_THROW(Read_Eprom(rig.services, 632, 3, image), RunStopped);
    Events expected = kStartReading;
    then(expected, readLocation(1));
    then(expected, stopped);
    EXPECT_EQ(rig.rec.events, expected);
  }
  {
    Rig rig;
    const StopAt stop(2);
    rig.services.stop = &stop;
    EXPECT_THROW(Blank_Check(rig.services, 632, 3), RunStopped);
    Events expected = kStartReading;
    then(expected, readLocation(1));
    then(expected, stopped);
    EXPECT_EQ(rig.rec.events, expected);
  }
  {
    Rig rig;
    rig.settings.VerifyEmpty = false;
    rig.rec.reads = {0x11};
    const StopAt stop(2);
    rig.services.stop = &stop;
    MemoryImage image(3);
    image.at(0) = 0x11;
    EXPECT_THROW(Write_Eprom(rig.services, 632, 3, image), RunStopped);
    Events expected{"C08", "d7", "C0A", "d7"};
    then(expected, burnLocation(1, 0x11, 1));
    then(expected, stopped);
    EXPECT_EQ(rig.rec.events, expected);
  }
}

}  // namespace
