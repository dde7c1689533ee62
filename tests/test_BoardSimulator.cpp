// The simulated board and the faults of real chips it is given: each fault
// through the board routines, as a read or a burn meets it; the fault list
// the front ends take from the user, and its refusals.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "BoardRoutines.h"
#include "BoardSimulator.h"
#include "SimulatedFaults.h"
#include "core_fakes.h"

namespace {

// A 16-byte simulated chip at 888 with the faults of `list`, read and burnt
// by the board routines with pulses of 100 us on the recorder's clock (the
// time a sound cell needs), no blank check.
struct FaultyChip {
  explicit FaultyChip(std::string_view list, Bytes contents = Bytes(16, 0xFF)) {
    const Expected<SimulatedFaults> faults =
        list.empty() ? SimulatedFaults{} : parseSimulatedFaults(list);
    if (!faults) throw std::invalid_argument(faults.error());
    sim.chip() = std::move(contents);
    sim.setClock(quiet);
    applySimulatedFaults(*faults, sim);
  }
  Bytes read() {
    MemoryImage image;
    Read_Eprom(services, 888, 16, image);
    return contents(image);
  }
  WriteOutcome write(const Bytes& bytes) {
    MemoryImage image(16);
    std::copy(bytes.begin(), bytes.end(), image.data());
    const WriteOutcome outcome = Write_Eprom(services, 888, 16, image, method).outcome;
    if (outcome == WriteOutcome::BadEprom) endProgramming(services, 888);
    return outcome;
  }

  BoardSimulator sim{888, 16};
  Recorder quiet;  // timing, progress bar and boxes
  PortSettings settings{888, 0, 0, false};
  ProgrammingMethod method{.pulse = std::chrono::microseconds(100)};
  RoutineServices services{sim, quiet, settings, quiet};
};

// Bytes of the chip from `from` up to `to`.
Bytes cells(const FaultyChip& chip, int from, int to) {
  return {chip.sim.chip().begin() + from, chip.sim.chip().begin() + to};
}

// The data direction during a pulse counts, not the write that ends it; a
// cell only loses 1s; with the port driving the lines a read gives its latch.
TEST(BoardSimulator, APulseProgramsWhatTheLinesCarriedWhileItLasted) {
  for (const auto& [pulse, end, cell] :
       {std::tuple<std::uint8_t, std::uint8_t, std::uint8_t>{0x0E, 0x0A, 0x0C},
        {0x0E, 0x22, 0x0C},     // ended straight into read state
        {0x2E, 0x0A, 0x3C}}) {  // the lines floated: nothing taken
    Recorder clock;             // each control write takes a millisecond
    BoardSimulator sim(888, 4);
    sim.setClock(clock);
    sim.chip()[0] = 0x3C;
    for (const std::uint8_t control : {std::uint8_t{0x08}, std::uint8_t{0x0A}})
      sim.out(890, control);
    sim.out(888, 0x0F);
    EXPECT_EQ(sim.in(888), 0x0F);
    for (const std::uint8_t control : {pulse, end, std::uint8_t{0x22}}) {
      sim.out(890, control);
      clock.time += std::chrono::milliseconds(1);
    }
    EXPECT_EQ(sim.in(888), cell) << int{pulse} << " " << int{end};
    EXPECT_EQ(sim.pulses(), 1u);
  }
}

// A sound cell's bits need 100 us of pulse time, a weak cell's N times that:
// pulses of 0 never program, of 50 us take two, and longer pulses fewer.
TEST(BoardSimulator, ACellTakesItsByteOnceItHasHadEnoughPulseTime) {
  using std::chrono::microseconds;
  const Bytes image = pattern(16);  // no FFh, which a blank cell holds already
  const struct {
    const char* faults;
    ProgrammingMethod method;
    WriteOutcome outcome;
    std::uint64_t pulses;
  } cases[] = {
      {"", {.pulse = microseconds(0)}, WriteOutcome::BadEprom, 10},
      {"", {.pulse = microseconds(50)}, WriteOutcome::Programmed, 2 * 16},
      {"", {ProgrammingAlgorithm::Quick}, WriteOutcome::Programmed, 16},
      {"weak:3:25", {ProgrammingAlgorithm::Quick}, WriteOutcome::Programmed, 16 + 24},
      {"weak:3:26", {ProgrammingAlgorithm::Quick}, WriteOutcome::BadEprom, 3 + 25},
      {"weak:3:26", {.pulse = microseconds(1000)}, WriteOutcome::Programmed, 16 + 2},
  };
  for (const auto& c : cases) {
    FaultyChip chip(c.faults);
    chip.method = c.method;
    std::string what = c.faults;
    what += ' ';
    what += std::to_string(c.method.pulse.value_or(microseconds(0)).count());
    EXPECT_EQ(chip.write(image), c.outcome) << what;
    EXPECT_EQ(chip.sim.pulses(), c.pulses) << what;
  }
}

// The time adds up bit by bit: a pulse that holds a line at 1 leaves that
// bit's time as it was.
TEST(BoardSimulator, EachBitGathersTheTimeOfThePulsesThatHoldItsLineAt0) {
  using std::chrono::microseconds;
  Recorder clock;
  BoardSimulator sim(888, 1);
  sim.setClock(clock);
  const auto pulse = [&](std::uint8_t data, microseconds length) {
    sim.out(888, data);
    sim.out(890, 0x0E);
    clock.time += length;
    sim.out(890, 0x0A);
    return sim.chip()[0];
  };
  sim.out(890, 0x08);
  EXPECT_EQ(pulse(0xFE, microseconds(50)), 0xFF);  // bit 0 half way
  EXPECT_EQ(pulse(0xFD, microseconds(60)), 0xFF);  // bit 1 part way, bit 0 kept
  EXPECT_EQ(pulse(0xFC, microseconds(40)), 0xFD);  // bit 1 full: 0; bit 0 at 90 us
  EXPECT_EQ(pulse(0xFE, microseconds(10)), 0xFC);
}

TEST(SimulatedFaults, WeakAndDeadCellsTakeTheirValueLateOrNeverAndEndTheBurnThere) {
  const Bytes image = pattern(16);
  const struct {
    const char* faults;
    WriteOutcome outcome;
    std::uint64_t pulses;
    std::uint8_t cell2;
  } cases[] = {
      {"weak:2:3", WriteOutcome::Programmed, 16 + 2, image[2]},
      {"weak:2:10", WriteOutcome::Programmed, 16 + 9, image[2]},
      {"weak:2:11", WriteOutcome::BadEprom, 2 + 10, 0xFF},
      {"dead:2", WriteOutcome::BadEprom, 2 + 10, 0xFF},
      {"weak:2:3,dead:2", WriteOutcome::BadEprom, 2 + 10, 0xFF},  // dead wins
  };
  for (const auto& c : cases) {
    FaultyChip chip(c.faults);
    EXPECT_EQ(chip.write(image), c.outcome) << c.faults;
    EXPECT_EQ(chip.sim.pulses(), c.pulses) << c.faults;
    EXPECT_EQ(chip.sim.chip()[2], c.cell2) << c.faults;
    EXPECT_EQ(cells(chip, 0, 2), Bytes(image.begin(), image.begin() + 2)) << c.faults;
    if (c.outcome == WriteOutcome::BadEprom) {
      EXPECT_EQ(cells(chip, 3, 16), Bytes(13, 0xFF)) << c.faults;
    }
  }
  // A weak cell stays weak: erased and written again, it needs its time again.
  FaultyChip chip("weak:0:4");
  EXPECT_EQ(chip.write(image), WriteOutcome::Programmed);
  chip.sim.chip()[0] = 0xFF;
  EXPECT_EQ(chip.write(image), WriteOutcome::Programmed);
  EXPECT_EQ(chip.sim.pulses(), 2 * (16u + 3));
}

TEST(SimulatedFaults, UnstableBitsReadAtRandomOverWhatTheWriteStoredAndTheSeedRepeatsThem) {
  // The burn verifies once the random bit reads as written; the cell keeps the byte itself.
  FaultyChip burnt("unstable:5:0x80");
  const Bytes image = pattern(16);  // bit 7 of location 5 is 0
  EXPECT_EQ(burnt.write(image), WriteOutcome::Programmed);
  EXPECT_EQ(burnt.sim.chip(), image);

  const auto reads = [](const char* faults) {
    FaultyChip chip(faults, pattern(16));
    std::vector<Bytes> passes;
    passes.reserve(32);
    for (int pass = 0; pass < 32; ++pass) passes.push_back(chip.read());
    return passes;
  };
  const std::vector<Bytes> seeded = reads("unstable:5:0x81,unstable:0xF:0x10,seed:7");
  std::set<int> at5, at15;
  for (Bytes read : seeded) {
    at5.insert(read[5]);
    at15.insert(read[15]);
    read[5] = image[5], read[15] = image[15];
    EXPECT_EQ(read, image);  // the other locations are stable
  }
  const int base5 = image[5] & 0x7E, base15 = image[15] & 0xEF;
  EXPECT_EQ(at5, (std::set<int>{base5, base5 | 0x01, base5 | 0x80, base5 | 0x81}));
  EXPECT_EQ(at15, (std::set<int>{base15, base15 | 0x10}));
  EXPECT_EQ(reads("unstable:5:0x81,unstable:0xF:0x10,seed:7"), seeded);
  EXPECT_NE(reads("unstable:5:0x81,unstable:0xF:0x10,seed:8"), seeded);
  EXPECT_EQ(reads("unstable:5:0x81,unstable:0xF:0x10"),
            reads("unstable:5:0x81,unstable:0xF:0x10,seed:1"));
}

TEST(SimulatedFaults, AStuckDataLineShowsInReadsAndInWhatPulsesProgramButNotInTheLatch) {
  FaultyChip low("stuck-data:3:0");
  EXPECT_EQ(low.read(), Bytes(16, 0xF7));
  // A blank location to stay FFh is programmed F7h and never verifies.
  EXPECT_EQ(low.write(Bytes(16, 0xFF)), WriteOutcome::BadEprom);
  EXPECT_EQ(cells(low, 0, 2), (Bytes{0xF7, 0xFF}));

  FaultyChip high("stuck-data:0:1", Bytes(16, 0x00));
  EXPECT_EQ(high.read(), Bytes(16, 0x01));
  high.sim.chip().assign(16, 0xFF);
  EXPECT_EQ(high.write(Bytes(16, 0x00)), WriteOutcome::BadEprom);
  EXPECT_EQ(cells(high, 0, 2), (Bytes{0x01, 0xFF}));  // the line never carried the 0

  // The port's own latch reads back as written, with the port driving.
  high.sim.out(890, 0x00);
  high.sim.out(888, 0x00);
  EXPECT_EQ(high.sim.in(888), 0x00);
}

TEST(SimulatedFaults, AnOpenAddressLineFoldsTheChipOntoTheLocationsWithThatBitClear) {
  FaultyChip chip("open-address:2", pattern(16));
  Bytes folded;
  for (int a = 0; a < 16; ++a) folded.push_back(pattern(16)[static_cast<std::size_t>(a & ~4)]);
  EXPECT_EQ(chip.read(), folded);

  // Location 4 is programmed into cell 0 and cannot verify.
  FaultyChip blank("open-address:2");
  Bytes image(16, 0xFF);
  image[0] = 0xF3, image[4] = 0x3F;
  EXPECT_EQ(blank.write(image), WriteOutcome::BadEprom);
  EXPECT_EQ(blank.sim.chip()[0], 0x33);
  EXPECT_EQ(blank.sim.chip()[4], 0xFF);
  EXPECT_EQ(blank.sim.pulses(), 4u + 10u);
}

TEST(SimulatedFaults, AnEmptySocketReadsBlankAndTakesNothing) {
  FaultyChip chip("no-chip", pattern(16));
  EXPECT_EQ(chip.read(), Bytes(16, 0xFF));
  EXPECT_TRUE(Blank_Check(chip.services, 888, 16).blank);
  EXPECT_EQ(chip.write(Bytes(16, 0x00)), WriteOutcome::BadEprom);
  EXPECT_EQ(chip.sim.chip(), pattern(16));
  // Together with a stuck line the floating lines show it.
  EXPECT_EQ(FaultyChip("no-chip,stuck-data:7:0").read(), Bytes(16, 0x7F));
}

TEST(SimulatedFaults, ThePortAnswersWhateverTheFaults) {
  for (const char* faults : {"no-chip", "stuck-data:0:1,stuck-data:1:0", "open-address:0",
                             "unstable:0:0xFF", "dead:0"}) {
    FaultyChip chip(faults);
    SimulatorPortSource source(chip.sim);
    EXPECT_TRUE(source.acquire(888)) << faults;
  }
}

TEST(ParseSimulatedFaults, TakesEveryKindInDecimalOrHexAndALaterItemReplacesAnEarlierOne) {
  const Expected<SimulatedFaults> faults = parseSimulatedFaults(
      "weak:0x10:3,dead:5,unstable:0XfF:0x81,stuck-data:3:0,stuck-data:7:1,open-address:19,"
      "no-chip,seed:42,weak:16:4,weak:17:2,stuck-data:3:1,dead:5,unstable:255:4,open-address:0");
  ASSERT_TRUE(faults) << faults.error();
  SimulatedFaults expected;
  expected.weak = {{16, 4}, {17, 2}};
  expected.dead = {5};
  expected.unstable = {{255, 4}};
  expected.stuckHigh = 0x88;
  expected.openAddressLines = (1u << 19) | 1u;
  expected.noChip = true;
  expected.seed = 42;
  EXPECT_EQ(*faults, expected);
  EXPECT_EQ(parseSimulatedFaults("dead:0xFFFFF,seed:4294967295")->seed, 4294967295u);
}

TEST(ParseSimulatedFaults, ABadListIsRefusedNamingTheItem) {
  const std::string anyKind =
      ": not a fault; the faults are weak:ADDR:N, dead:ADDR, unstable:ADDR:MASK, "
      "stuck-data:BIT:0|1, open-address:LINE, no-chip, seed:N";
  const std::string address = ": ADDR must be 0 to 0xFFFFF, in decimal or as 0x...";
  const std::pair<const char*, std::string> cases[] = {
      {"", "the fault list has an empty item: \"\""},
      {"dead:1,,dead:3", "the fault list has an empty item: \"dead:1,,dead:3\""},
      {"frozen:3", "frozen:3" + anyKind},
      {"dead:5,weak:7", "weak:7: write it as weak:ADDR:N"},
      {"no-chip:1", "no-chip:1: write it as no-chip"},
      {"dead:1:2", "dead:1:2: write it as dead:ADDR"},
      {"dead:0x100000", "dead:0x100000" + address},
      {"dead:-1", "dead:-1" + address},
      {"dead:0x", "dead:0x" + address},
      {"dead:", "dead:" + address},
      {"dead: 5", "dead: 5" + address},
      {"dead:0x1g", "dead:0x1g" + address},
      {"dead:99999999999999999999999", "dead:99999999999999999999999" + address},
      {"weak:5:0", "weak:5:0: N must be 1 to 65535"},
      {"weak:5:65536", "weak:5:65536: N must be 1 to 65535"},
      {"unstable:5:0", "unstable:5:0: MASK must be 1 to 0xFF, in decimal or as 0x..."},
      {"unstable:5:0x100", "unstable:5:0x100: MASK must be 1 to 0xFF, in decimal or as 0x..."},
      {"stuck-data:8:0", "stuck-data:8:0: BIT must be 0 to 7"},
      {"stuck-data:3:2", "stuck-data:3:2: the line's value must be 0 or 1"},
      {"stuck-data:3", "stuck-data:3: write it as stuck-data:BIT:0|1"},
      {"open-address:20", "open-address:20: LINE must be 0 to 19"},
      {"seed:4294967296", "seed:4294967296: N must be 0 to 4294967295"},
  };
  for (const auto& [list, error] : cases) {
    const Expected<SimulatedFaults> faults = parseSimulatedFaults(list);
    EXPECT_FALSE(faults) << list;
    EXPECT_EQ(faults.error(), error);
  }
}

}  // namespace
