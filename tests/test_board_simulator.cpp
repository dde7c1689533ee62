// The simulated board and chip, alone and under the real protocols.
#include <gtest/gtest.h>
#include <random>

#include "BoardRoutines.h"
#include "BoardSimulator.h"
#include "core_fakes.h"

namespace {

constexpr std::int32_t kSize = 4096;

struct Rig {
  BoardSimulator sim{888, kSize};
  RealTiming timing;
  Recorder rec;  // progress and message boxes
  PortSettings settings{888, 0, 0, true};
  RoutineServices services{sim, timing, settings, rec, rec};
  MemoryImage image{kSize};
  Rig() {
    std::mt19937 random(7);
    for (std::int32_t i = 0; i < kSize; ++i) image.at(i) = static_cast<std::uint8_t>(random());
  }
  Events boxes() const {
    Events boxes;
    std::copy_if(rec.events.begin(), rec.events.end(), std::back_inserter(boxes),
                 [](const std::string& e) { return e.starts_with("box:"); });
    return boxes;
  }
};

TEST(BoardSimulator, ProgramThenReadGivesTheImageBackAndTheChipIsNoLongerBlank) {
  for (const std::int32_t ioDelay : {0, 100}) {  // with delays: the timing users run
    Rig rig;
    rig.settings.IoDelay = ioDelay;
    rig.sim.makeWeakCell(5, 3);
    rig.image.at(5) = 0x00;
    Write_Eprom(rig.services, 888, kSize, rig.image);
    EXPECT_EQ(rig.boxes(), Events{});
    EXPECT_EQ(rig.sim.stats().pulses, kSize + 2u);  // the weak cell took three
    MemoryImage read;
    Read_Eprom(rig.services, 888, kSize, read);
    EXPECT_EQ(contents(read), contents(rig.image));
    Write_Eprom(rig.services, 888, kSize, MemoryImage(kSize));  // no longer blank: refused
    EXPECT_EQ(rig.boxes(), Events{"box:Warning !|The Eprom is not Empty|I"});
    EXPECT_EQ(rig.sim.chip(), contents(rig.image));
  }
}

TEST(BoardSimulator, DeadCellGivesBadEpromWithEarlierLocationsProgrammedAndTheRestUntouched) {
  Rig rig;
  rig.sim.makeDeadCell(10);
  Write_Eprom(rig.services, 888, kSize, rig.image);
  EXPECT_EQ(rig.boxes(), Events{"box:Warning !|Bad Eprom|C"});
  auto expected = contents(rig.image);
  std::fill(expected.begin() + 10, expected.end(), 0xFF);
  EXPECT_EQ(rig.sim.chip(), expected);
  EXPECT_EQ(rig.sim.stats().pulses, 10u + 10u);
  EXPECT_EQ(rig.sim.control(), 0x00);
}

TEST(BoardSimulator, AtAWrongBaseAddressItBehavesAsAMissingBoard) {
  Rig rig;
  std::fill(rig.sim.chip().begin(), rig.sim.chip().end(), 0x00);
  MemoryImage read;
  Read_Eprom(rig.services, 632, kSize, read);
  EXPECT_EQ(std::count(read.data(), read.data() + kSize, 0xFF), kSize);
  Write_Eprom(rig.services, 632, kSize, rig.image);  // the blank check passes on floating lines
  EXPECT_EQ(rig.boxes(), Events{"box:Warning !|Bad Eprom|C"});
  EXPECT_EQ(rig.sim.chip(), Bytes(kSize, 0x00));
}

TEST(BoardSimulator, CounterWrapsDirectionChoosesChipOrLatchAndCellsOnlyLoseOnes) {
  BoardSimulator sim(888, 4);
  sim.chip() = {0x10, 0x11, 0x12, 0x0F};
  sim.setLogging(true);
  sim.out(890, 0x22);  // Auto Feed rises from the power-up 00h: restart
  for (int i = 0; i < 7; ++i) {
    sim.out(890, 0x23);
    sim.out(890, 0x23);  // no new edge
    sim.out(890, 0x22);
  }
  EXPECT_EQ(sim.counter(), 3);
  sim.out(888, 0xF0);
  EXPECT_EQ(sim.in(888), 0x0F);  // reading the chip
  for (std::uint8_t control : {0x0A, 0x0E, 0x0A}) sim.out(890, control);
  EXPECT_EQ(sim.in(888), 0xF0);  // the port drives the lines: the latch
  EXPECT_EQ(sim.chip()[3], 0x00);
  EXPECT_EQ(sim.in(889), 0xFF);
  EXPECT_EQ(sim.log().size(), 1u + 21u + 7u);
}

TEST(BoardSimulator, APulseProgramsWhatTheLinesCarriedWhileItLasted) {
  // The data direction during the pulse counts, not the write that ends it.
  struct Case {
    std::uint8_t pulse, end, cell;
  } const cases[] = {
      {0x0E, 0x0A, 0x0F},  // the port drives 0Fh: the cell takes it
      {0x0E, 0x22, 0x0F},  // ended straight into read state: taken all the same
      {0x2E, 0x0A, 0xFF},  // the lines floated during the pulse: nothing taken
  };
  for (const Case& c : cases) {
    BoardSimulator sim(888, 4);
    sim.out(890, 0x08);
    sim.out(890, 0x0A);
    sim.out(888, 0x0F);
    sim.out(890, c.pulse);
    sim.out(890, c.end);
    EXPECT_EQ(sim.stats().pulses, 1u);
    EXPECT_EQ(sim.chip()[0], c.cell) << std::hex << int{c.pulse} << " " << int{c.end};
  }
}

}  // namespace
