// The simulated board and chip, access by access.
#include <gtest/gtest.h>

#include "BoardSimulator.h"

namespace {

TEST(BoardSimulator, CounterRestartsStepsOnRisingEdgesAndWrapsAndOtherAddressesAreNoBoard) {
  BoardSimulator sim(888, 4);
  sim.out(890, 0x22);  // Auto Feed rises from the power-up 00h: restart
  for (int i = 0; i < 7; ++i)
    for (const std::uint8_t control : {0x23, 0x23, 0x22}) sim.out(890, control);  // one edge each
  EXPECT_EQ(sim.counter(), 3);
  sim.out(634, 0x00);  // another base address, as a board at LPT2 would be
  sim.out(634, 0x23);
  EXPECT_EQ(std::tuple(sim.counter(), sim.in(632), sim.in(889)), std::tuple(3, 0xFF, 0xFF));
}

TEST(BoardSimulator, DirectionChoosesChipOrLatchAndAPulseProgramsWhatTheLinesCarried) {
  // The data direction during the pulse counts, not the write that ends it;
  // a cell only loses 1s.
  for (const auto& [pulse, end, cell] :
       {std::tuple<std::uint8_t, std::uint8_t, std::uint8_t>{0x0E, 0x0A, 0x0C},
        {0x0E, 0x22, 0x0C},     // ended straight into read state
        {0x2E, 0x0A, 0x3C}}) {  // the lines floated: nothing taken
    BoardSimulator sim(888, 4);
    sim.chip()[0] = 0x3C;
    for (const std::uint8_t control : {0x08, 0x0A}) sim.out(890, control);
    sim.out(888, 0x0F);
    EXPECT_EQ(sim.in(888), 0x0F);  // the port drives the lines: its latch
    for (const std::uint8_t control : {pulse, end, std::uint8_t{0x22}}) sim.out(890, control);
    EXPECT_EQ(std::tuple(sim.in(888), sim.stats().pulses), std::tuple(cell, 1u))
        << int{pulse} << " " << int{end};
  }
}

}  // namespace
