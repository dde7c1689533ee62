// The check that a port answers at its base address, made once when a port
// is acquired: its exact accesses on a recording port, its refusals, and the
// simulator's port source, which answers at the simulator's base only. (The
// hardware back-ends: test_ppdev.)
#include <gtest/gtest.h>

#include "BoardSimulator.h"
#include "PortPresence.h"
#include "core_fakes.h"

namespace {

TEST(PortAnswers, TwoPatternsReadBackWithTheBoardOffAndTheLatchIsLeftAtFFh) {
  Recorder rec(632);
  rec.reads = {0x55, 0xAA};
  const Expected<> answers = checkPortAnswers(rec, 632);
  EXPECT_TRUE(answers) << answers.error();
  EXPECT_EQ(rec.events, (Events{"DFF", "C00", "D55", "R", "DAA", "R", "DFF"}));
}

TEST(PortAnswers, APortThatDoesNotGiveThemBackIsRefusedNamingTheAddressAndWhatCameBack) {
  const struct {
    std::int16_t base;
    std::deque<std::uint8_t> reads;
    std::size_t failingRead;
    Events events;
    const char* why;
  } cases[] = {
      {378,
       {},
       0,
       {"DFF", "C00", "D55", "R", "DFF"},
       "No parallel port answers at 017Ah: 55h written to its data register read back as FFh."},
      {632,
       {0x55, 0xA8},
       0,
       {"DFF", "C00", "D55", "R", "DAA", "R", "DFF"},
       "No parallel port answers at 0278h: AAh written to its data register read back as A8h."},
      {0x7FF0,
       {},
       1,
       {"DFF", "C00", "D55", "R"},
       "No parallel port answers at 7FF0h: Reading the data register failed."},
  };
  for (const auto& c : cases) {
    Recorder rec(static_cast<std::uint16_t>(c.base));
    rec.reads = c.reads;
    rec.failingRead = c.failingRead;
    const Expected<> answers = checkPortAnswers(rec, c.base);
    EXPECT_EQ(answers.error(), c.why);
    EXPECT_EQ(rec.events, c.events) << c.why;
  }
}

TEST(SimulatorPortSource, AnswersAtTheSimulatorsBaseOnlyAndChecksEachNewBaseOnce) {
  BoardSimulator sim;
  SimulatorPortSource source(sim, " in Options");  // as the window makes it
  const Expected<PortIo*> elsewhere = source.acquire(378);
  EXPECT_EQ(elsewhere.error(),
            "No parallel port answers at 017Ah: 55h written to its data register read back as "
            "FFh. The simulated board sits at 888 (378h): choose that base address in Options.");

  sim.out(888, 0x12);
  const Expected<PortIo*> here = source.acquire(888);
  ASSERT_TRUE(here) << here.error();
  EXPECT_EQ(*here, &sim);
  EXPECT_EQ(sim.in(888), 0xFF);  // checked: the latch is left at FFh
  sim.out(888, 0x12);
  EXPECT_TRUE(source.acquire(888));
  EXPECT_EQ(sim.in(888), 0x12);  // the same base again: no second check

  EXPECT_FALSE(source.acquire(632));
  EXPECT_TRUE(source.acquire(888));
  EXPECT_EQ(sim.in(888), 0xFF);  // back from another base: checked again
}

}  // namespace
