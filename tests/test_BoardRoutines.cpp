// The exact access sequences of the board protocols, on a recording port at
// LPT2 (data 632, control 634), IoDelay 7, ProgPulse 3, and what the routines
// report of them; the pulse's wait.
#include <gtest/gtest.h>

#include <chrono>

#include "BoardRoutines.h"
#include "core_fakes.h"

namespace {

struct Rig {
  Recorder rec{632};
  PortSettings settings{632, 7, 3, true};
  RoutineServices services{rec, rec, settings, rec};
  // Write_Eprom as the write command runs it, with the chip's refusal shown.
  WriteResult program(std::int32_t size, const MemoryImage& image,
                      const ProgrammingMethod& method = {}, std::span<const std::uint8_t> held = {},
                      ErasedLocations erased = ErasedLocations::Pulsed) {
    return programChip(services, rec, 632, size, image, method, held, erased);
  }
};

enum class Routine { Read, Blank, Write };

const Events kStartReading{"C00", "d7", "C22", "d7"};
const Events kStartBurning{"C08", "d7", "C0A", "d7"};

Events readLocation(int i) {
  return {tagged("v", i), "d7", "R", "d7", "C23", "d7", "C22"};
}

// Location i (from 1) programmed: its pulses of `pulse`, each read back, the
// extra pulse of `extra` when there is one, the step.
Events burnLocation(int i, std::uint8_t value, int pulses, const std::string& pulse = "p3",
                    const std::string& extra = "") {
  Events events{tagged("v", i), "d7"};
  for (int p = 0; p < pulses; ++p)
    events = join(
        {events, {tagged("D", value, true), "C0E", pulse, "C0A", "d7", "C22", "d21", "R", "C0A"}});
  if (!extra.empty()) events = join({events, {tagged("D", value, true), "C0E", extra, "C0A"}});
  return join({events, {"d7", "C0B", "d7", "C0A"}});
}

// Location i stepped over without a pulse.
Events steppedOver(int i) {
  return {tagged("v", i), "d7", "d7", "C0B", "d7", "C0A"};
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
  EXPECT_EQ(rig.program(2, image).outcome, WriteOutcome::Programmed);
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
  const WriteResult result = rig.program(4, image);
  EXPECT_EQ(result.outcome, WriteOutcome::BadEprom);
  // The failing location is stepped past before the message, the board off after it.
  EXPECT_EQ(rig.rec.events, join({kStartBurning,
                                  burnLocation(1, 0xA5, 1),
                                  burnLocation(2, 0x3C, 3),
                                  burnLocation(3, 0x77, 10),
                                  {"box:Warning !|Bad Eprom|C", "C00"}}));
  // Where, and the pulses of every location pulsed: the bad one took the most.
  EXPECT_EQ(result.bad, (BadLocation{2, 0x77, 0xFF}));
  PulseCounts counts;
  counts.took[1] = counts.took[3] = counts.took[10] = 1;
  counts.mostAt = counts.lastAt = 2;
  counts.most = 10;
  EXPECT_EQ(result.pulses, counts);
  EXPECT_EQ(result.pulses.pulsed(), 3);
}

TEST(Write_Eprom, OnAChipFoundBlankTheErasedLocationsCanBeSteppedOver) {
  Rig rig;
  rig.rec.reads = {0xFF, 0xFF, 0xFF, 0x00};  // blank check of 3, then the read-back
  MemoryImage image(3);
  image.at(0) = image.at(2) = 0xFF;
  const WriteResult result = rig.program(3, image, {}, {}, ErasedLocations::SteppedOver);
  EXPECT_EQ(result.outcome, WriteOutcome::Programmed);
  EXPECT_EQ(rig.rec.events, join({kStartReading,
                                  readLocation(1),
                                  readLocation(2),
                                  readLocation(3),
                                  kStartBurning,
                                  steppedOver(1),
                                  burnLocation(2, 0x00, 1),
                                  steppedOver(3),
                                  {"C00"}}));
  EXPECT_EQ(std::tuple(result.pulses.steppedOver, result.pulses.pulsed(), result.pulses.lastAt),
            std::tuple(2, 1, 1));
  // Unchecked, nothing is known of the chip: every location is pulsed.
  Rig unchecked;
  unchecked.settings.VerifyEmpty = false;
  unchecked.rec.reads = {0xFF, 0x00, 0xFF};
  EXPECT_EQ(unchecked.program(3, image, {}, {}, ErasedLocations::SteppedOver).pulses.pulsed(), 3);
}

TEST(Write_Eprom, EachAlgorithmPulsesAsItsFiguresSayAndOnlyAVerifiedByteGetsTheExtraPulse) {
  using std::chrono::microseconds;
  using A = ProgrammingAlgorithm;
  // Location 0 reads back at its first pulse, location 1 at its third.
  const struct {
    ProgrammingMethod method;
    std::string pulse, extraAfterOne, extraAfterThree;
    bool bad = false;  // location 1 runs out of pulses at its second
  } cases[] = {
      {{A::Quick}, "p0.1", "", ""},
      {{A::Intelligent}, "p1", "p3", "p9"},
      {{A::Intelligent, microseconds(500)}, "p0.5", "p1.5", "p4.5"},
      {{A::Default, microseconds(50)}, "p0.05", "", ""},
      {{A::Quick, {}, 2}, "p0.1", "", "", true},
      {{A::Intelligent, {}, 2}, "p1", "p3", "", true},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.settings.VerifyEmpty = false;
    rig.rec.reads = {0xA5, 0xFF, 0xFF, 0x3C};
    MemoryImage image(2);
    image.at(0) = 0xA5;
    image.at(1) = 0x3C;
    const WriteResult result = rig.program(2, image, c.method);
    const std::string what = algorithmName(c.method.algorithm) + (" " + c.pulse);
    EXPECT_EQ(result.outcome, c.bad ? WriteOutcome::BadEprom : WriteOutcome::Programmed) << what;
    const Events second =
        c.bad ? join({burnLocation(2, 0x3C, 2, c.pulse), {"box:Warning !|Bad Eprom|C"}})
              : burnLocation(2, 0x3C, 3, c.pulse, c.extraAfterThree);
    EXPECT_EQ(
        rig.rec.events,
        join({kStartBurning, burnLocation(1, 0xA5, 1, c.pulse, c.extraAfterOne), second, {"C00"}}))
        << what;
  }
}

TEST(Write_Eprom, OverAProgrammedChipOnlyTheLocationsThatDifferArePulsed) {
  Rig rig;  // blank check on, and still none: the chip is programmed
  rig.rec.reads = {0x11, 0x77};
  MemoryImage image(4);
  image.at(0) = 0xA5;
  image.at(1) = 0x11;
  image.at(2) = 0x3C;
  image.at(3) = 0x77;
  const Bytes held{0xA5, 0xFF, 0x3C};  // what the chip holds; location 3 is past it
  const WriteResult result = rig.program(4, image, {}, held);
  EXPECT_EQ(result.outcome, WriteOutcome::Programmed);
  EXPECT_EQ(rig.rec.events, join({kStartBurning,
                                  steppedOver(1),
                                  burnLocation(2, 0x11, 1),
                                  steppedOver(3),
                                  burnLocation(4, 0x77, 1),
                                  {"C00"}}));
  EXPECT_EQ(std::tuple(result.pulses.steppedOver, result.pulses.pulsed()), std::tuple(2, 2));
}

TEST(Write_Eprom, ChipThatIsNotBlankIsRefusedWithNoFurtherAccess) {
  Rig rig;
  rig.rec.reads = {0xFF, 0x5A};
  const WriteResult result = rig.program(3, MemoryImage(3));
  EXPECT_EQ(result.outcome, WriteOutcome::NotBlank);
  EXPECT_EQ(rig.rec.events, join({kStartReading,
                                  readLocation(1),
                                  {"v2", "d7", "R", "box:Warning !|The Eprom is not Empty|I"}}));
  EXPECT_EQ(result.blankCheck, (BlankCheckResult{false, 1, 0x5A}));
}

// Says "stop" from its second question on.
struct StopAtSecond final : StopRequest {
  bool requested() const override { return ++asked >= 2; }
  mutable int asked = 0;
};

TEST(BoardRoutines, AStopComesBetweenTwoLocationsAndLeavesTheBoardIdle) {
  // Told to stop before the second location: the first is complete, then 00h and nothing else.
  for (const Routine routine : {Routine::Read, Routine::Blank, Routine::Write}) {
    Rig rig;
    rig.settings.VerifyEmpty = false;
    if (routine == Routine::Write) rig.rec.reads = {0x11};
    const StopAtSecond stop;
    rig.services.stop = &stop;
    MemoryImage image(3);
    image.at(0) = 0x11;
    PulseCounts done;
    const auto run = [&] {
      switch (routine) {
        case Routine::Read:
          return Read_Eprom(rig.services, 632, 3, image);
        case Routine::Blank:
          return (void)Blank_Check(rig.services, 632, 3);
        case Routine::Write:
          try {
            return (void)rig.program(3, image);
          } catch (const WriteStopped& stopped) {
            done = stopped.done().pulses;  // what the pass did before the stop goes with it
            throw;
          }
      }
    };
    EXPECT_THROW(run(), RunStopped);
    const Events expected = routine == Routine::Write
                                ? join({kStartBurning, burnLocation(1, 0x11, 1), {"C00"}})
                                : join({kStartReading, readLocation(1), {"C00"}});
    EXPECT_EQ(rig.rec.events, expected) << static_cast<int>(routine);
    if (routine == Routine::Write) {
      EXPECT_EQ(std::tuple(done.pulsed(), done.lastAt), std::tuple(1, 0));
    }
  }
}

TEST(RealTiming, APulseIsNeverShorterThanAskedAndTimedOnItsOwnClock) {
  RealTiming timing;
  for (const std::chrono::microseconds length :
       {std::chrono::microseconds(100), std::chrono::microseconds(2000)}) {
    const auto start = timing.now();
    timing.pulseWait(length);
    EXPECT_GE(timing.now() - start, length);
  }
}

}  // namespace
