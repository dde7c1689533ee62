// The exact access sequences of the board protocols, on a recording port at
// LPT2 (data 632, control 634), IoDelay 7, ProgPulse 3; the pulse's wait;
// the simulated board.
#include <gtest/gtest.h>

#include <chrono>

#include "BoardRoutines.h"
#include "BoardSimulator.h"
#include "core_fakes.h"

namespace {

struct Rig {
  Recorder rec{632};
  PortSettings settings{632, 7, 3, true};
  RoutineServices services{rec, rec, settings, rec, rec};
};

const Events kStartReading{"C00", "d7", "C22", "d7"};
const Events kStartBurning{"C08", "d7", "C0A", "d7"};

Events readLocation(int i) {
  return {tagged("v", i), "d7", "R", "d7", "C23", "d7", "C22"};
}

Events burnLocation(int i, std::uint8_t value, int pulses) {
  Events events{tagged("v", i), "d7"};
  for (int p = 0; p < pulses; ++p)
    events = join(
        {events, {tagged("D", value, true), "C0E", "p3", "C0A", "d7", "C22", "d21", "R", "C0A"}});
  return join({events, {"d7", "C0B", "d7", "C0A"}});
}

TEST(Read_Eprom, ReadsEveryLocationWithItsDelaysAndLeavesControlAt22h) {
  Rig rig;
  rig.rec.reads = {0x12, 0x34, 0x56};
  MemoryImage image(8);
  Read_Eprom(rig.services, 632, 3, image);
  EXPECT_EQ(rig.rec.events,
            join({kStartReading, readLocation(1), readLocation(2), readLocation(3)}));
  EXPECT_EQ(contents(image), (Bytes{0x12, 0x34, 0x56}));
}

TEST(Write_Eprom, BlankCheckFirstThenEveryLocationPulsedAtLeastOnce) {
  Rig rig;
  rig.rec.reads = {0xFF, 0xFF, 0xFF, 0x00};  // blank check of 2, then the read-backs
  MemoryImage image(2);
  image.at(0) = 0xFF;  // what the blank chip holds already: still one pulse
  EXPECT_EQ(Write_Eprom(rig.services, 632, 2, image), WriteOutcome::Programmed);
  EXPECT_EQ(rig.rec.events, join({kStartReading,
                                  readLocation(1),
                                  readLocation(2),
                                  kStartBurning,
                                  burnLocation(1, 0xFF, 1),
                                  burnLocation(2, 0x00, 1),
                                  {"C00"}}));
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
  // The failing location is stepped past before the message.
  EXPECT_EQ(rig.rec.events, join({kStartBurning,
                                  burnLocation(1, 0xA5, 1),
                                  burnLocation(2, 0x3C, 3),
                                  burnLocation(3, 0x77, 10),
                                  {"box:Warning !|Bad Eprom|C", "C00"}}));
}

TEST(Write_Eprom, ChipThatIsNotBlankIsRefusedWithNoFurtherAccess) {
  Rig rig;
  rig.rec.reads = {0xFF, 0x00};
  EXPECT_EQ(Write_Eprom(rig.services, 632, 3, MemoryImage(3)), WriteOutcome::NotBlank);
  EXPECT_EQ(rig.rec.events, join({kStartReading,
                                  readLocation(1),
                                  {"v2", "d7", "R", "box:Warning !|The Eprom is not Empty|I"}}));
}

// Says "stop" from its second question on.
struct StopAtSecond final : StopRequest {
  bool requested() const override { return ++asked >= 2; }
  mutable int asked = 0;
};

TEST(BoardRoutines, AStopComesBetweenTwoLocationsAndLeavesTheBoardIdle) {
  // Told to stop before the second location: the first is complete, then 00h and nothing else.
  for (const char routine : {'r', 'b', 'w'}) {
    Rig rig;
    rig.settings.VerifyEmpty = false;
    if (routine == 'w') rig.rec.reads = {0x11};
    const StopAtSecond stop;
    rig.services.stop = &stop;
    MemoryImage image(3);
    image.at(0) = 0x11;
    EXPECT_THROW(routine == 'r'   ? Read_Eprom(rig.services, 632, 3, image)
                 : routine == 'b' ? (void)Blank_Check(rig.services, 632, 3)
                                  : (void)Write_Eprom(rig.services, 632, 3, image),
                 RunStopped);
    EXPECT_EQ(rig.rec.events, routine == 'w'
                                  ? join({kStartBurning, burnLocation(1, 0x11, 1), {"C00"}})
                                  : join({kStartReading, readLocation(1), {"C00"}}))
        << routine;
  }
}

TEST(RealTiming, PulseIsNeverShorterThanAsked) {
  RealTiming timing;
  const auto start = std::chrono::steady_clock::now();
  timing.pulseWait(2);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2));
}

// The data direction during a pulse counts, not the write that ends it; a
// cell only loses 1s; with the port driving the lines a read gives its latch.
TEST(BoardSimulator, APulseProgramsWhatTheLinesCarriedWhileItLasted) {
  for (const auto& [pulse, end, cell] :
       {std::tuple<std::uint8_t, std::uint8_t, std::uint8_t>{0x0E, 0x0A, 0x0C},
        {0x0E, 0x22, 0x0C},     // ended straight into read state
        {0x2E, 0x0A, 0x3C}}) {  // the lines floated: nothing taken
    BoardSimulator sim(888, 4);
    sim.chip()[0] = 0x3C;
    for (const std::uint8_t control : {std::uint8_t{0x08}, std::uint8_t{0x0A}})
      sim.out(890, control);
    sim.out(888, 0x0F);
    EXPECT_EQ(sim.in(888), 0x0F);
    for (const std::uint8_t control : {pulse, end, std::uint8_t{0x22}}) sim.out(890, control);
    EXPECT_EQ(std::tuple(sim.in(888), sim.stats().pulses), std::tuple(cell, 1u))
        << int{pulse} << " " << int{end};
  }
}

}  // namespace
