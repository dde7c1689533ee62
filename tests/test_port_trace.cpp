// The trace checker on the programmer's own runs, traced as QEMU traces
// them: over direct I/O, and over ppdev on a fake kernel that keeps the
// control register as parport_pc does. They pass; each planted fault is caught.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <functional>

#include "Commands.h"
#include "PortCheck.h"
#include "PortPresence.h"
#include "Ppdev.h"
#include "core_fakes.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using Trace = std::vector<Access>;

// The emulated port as QEMU's isa-parallel is: the data register reads back
// its latch while the port drives the lines, FFh (no chip drives them) while
// it does not.
struct Tracer final : PortIo, BoardTiming, PpdevCalls {
  void log(Access::Kind kind, unsigned reg, unsigned value) {
    trace.push_back({kind, std::uint8_t(reg), std::uint8_t(value), clock += 2, trace.size() + 1});
  }
  std::uint8_t data() const { return (kernelControl & 0x20) ? 0xFF : latch; }
  void out(std::uint16_t port, std::uint8_t value) override {
    if ((port & 3) == 0) latch = value;
    if ((port & 3) == 2) kernelControl = value;
    log(Access::Write, port & 3, value);
  }
  std::uint8_t in(std::uint16_t port) override {
    const std::uint8_t value = (port & 3) == 0 ? data() : 0xFF;
    log(Access::Read, port & 3, value);
    return value;
  }
  void delay(std::int32_t) override {}
  void pulseWait(std::chrono::microseconds length) override {
    clock += length.count() * pulseUs / 1000;
  }
  std::chrono::nanoseconds now() const override { return std::chrono::microseconds(clock); }
  int open(const std::string&, std::error_code&) override { return 3; }
  void close(int) override {}
  std::error_code ioctl(int, unsigned long request, void* arg) override {
    const auto byte = static_cast<unsigned char*>(arg);
    const auto control = [&](unsigned value) { log(Access::Write, 2, kernelControl = value); };
    if (request == PPGETMODES) *static_cast<unsigned*>(arg) = PARPORT_MODE_TRISTATE;
    if (request == PPCLAIM) control(0x0C), control(0x1C);  // saved state, then interrupts on
    if (request == PPWCONTROL) control((kernelControl & 0xF0) | (*byte & 0x0F));
    if (request == PPDATADIR) control((kernelControl & ~0x20) | (*static_cast<int*>(arg) << 5));
    if (request == PPWDATA) log(Access::Write, 0, latch = *byte);
    if (request == PPRDATA) log(Access::Read, 0, *byte = data());
    if (request == PPRELEASE) log(Access::Read, 2, kernelControl);  // the kernel saves the state
    return {};
  }

  Trace trace;
  std::int64_t clock = 0, pulseUs = 1040;  // the time a millisecond's pulse takes
  unsigned kernelControl = 0x0C;           // the control register, as the drivers' probe leaves it
  std::uint8_t latch = 0xFF;
};

// 16 locations of FFh but at `badAt`, which the chip never takes; pulses of
// 1 ms, at most 10, or the quick algorithm's 100 us, at most 25.
RunPlan planOf(bool ppdev, RunPlan::Command command, int badAt = -1, bool blankCheck = true,
               bool quick = false) {
  RunPlan plan{ppdev,           true,       command,        16, quick ? 100 : 1000,
               quick ? 25 : 10, blankCheck, Bytes(16, 0xFF)};
  if (badAt >= 0) plan.image[badAt] = 0x5A;
  return plan;
}

// `plan` as vesk runs it: the chip read once more after Bad Eprom.
RunPlan rereading(RunPlan plan) {
  plan.rereadAfterBadEprom = true;
  return plan;
}

// The check of the programmer's run of `plan`, once `plant` has changed its trace.
RunReport check(const RunPlan& plan, const std::function<void(Trace&)>& plant = {},
                std::int64_t pulseUs = 1040) {
  Tracer tracer;
  tracer.pulseUs = pulseUs;
  std::unique_ptr<PpdevPort> ppdev;
  if (plan.ppdev) ppdev = std::move(PpdevPort::open(tracer, "/dev/parport0", 888).value());
  PortIo& port = ppdev ? *ppdev : static_cast<PortIo&>(tracer);
  // As the port source acquires it: checked once.
  EXPECT_TRUE(checkPortAnswers(port, 888).hasValue());
  Recorder quiet;
  const PortSettings settings{888, 100, 1, plan.blankCheck};
  RoutineServices services{port, tracer, settings, quiet};
  MemoryImage image(16);
  std::copy(plan.image.begin(), plan.image.end(), image.data());
  if (plan.command == RunPlan::Read) Read_Eprom(services, 888, 16, image);
  if (plan.command == RunPlan::Blank) (void)Blank_Check(services, 888, 16);
  const ProgrammingMethod method{plan.maxPulses == 25 ? ProgrammingAlgorithm::Quick
                                                      : ProgrammingAlgorithm::Default};
  if (plan.command == RunPlan::Write) {
    // vesk's write, as its plan says: FFh stepped over on a chip found blank,
    // the whole chip read back once every location took its byte, and read
    // once more after Bad Eprom.
    const ErasedLocations erased =
        plan.stepsOverErased ? ErasedLocations::SteppedOver : ErasedLocations::Pulsed;
    const WriteResult written = programChip(services, quiet, 888, 16, image, method, {}, erased);
    const bool programmed = written.outcome == WriteOutcome::Programmed;
    if (programmed ? plan.readsBack : plan.rereadAfterBadEprom)
      Read_Eprom(services, 888, 16, image);
  }
  ppdev.reset();  // the release
  if (plant) plant(tracer.trace);
  return checkRun(plan, tracer.trace, 0x0C);
}

// Where the n-th control write with these lines (bits 0-3) is.
Trace::iterator nth(Trace& trace, std::uint8_t lines, int n = 1) {
  return std::find_if(trace.begin(), trace.end(), [&](const Access& a) {
    return a.kind == Access::Write && a.reg == 2 && (a.value & 0x0F) == lines && --n == 0;
  });
}

TEST(PortCheck, TheProgrammersRunsPassWithEveryPulseMeasured) {
  for (const bool ppdev : {false, true}) {
    for (const RunPlan& plan :
         {planOf(ppdev, RunPlan::Read), planOf(ppdev, RunPlan::Blank),
          planOf(ppdev, RunPlan::Write), planOf(ppdev, RunPlan::Write, 5, false),
          planOf(ppdev, RunPlan::Write, 5, true, true),
          rereading(planOf(ppdev, RunPlan::Write, 5))}) {
      const RunReport report = check(plan);
      EXPECT_EQ(report.faults, std::vector<std::string>{}) << ppdev << plan.command;
      EXPECT_EQ(report.pulseUs.size(), plan.command != RunPlan::Write ? 0u
                                       : std::ranges::count(plan.image, 0x5A) == 0
                                           ? 16u
                                           : 5u + static_cast<unsigned>(plan.maxPulses));
      EXPECT_EQ(report.claimUs >= 0, ppdev);
    }
  }
}

// vesk's write of `plan`: the FFh locations stepped over, the chip read back.
RunPlan asVesk(RunPlan plan) {
  plan.stepsOverErased = plan.readsBack = true;
  return plan;
}

TEST(PortCheck, VesksWritesPassWithTheErasedLocationsSteppedOverAndTheChipReadBack) {
  for (const bool ppdev : {false, true}) {
    const struct {
      RunPlan plan;
      std::size_t pulses;
    } runs[] = {{asVesk(planOf(ppdev, RunPlan::Write)), 0},
                {asVesk(planOf(ppdev, RunPlan::Write, 5)), 10},
                {asVesk(planOf(ppdev, RunPlan::Write, 5, true, true)), 25},
                {asVesk(planOf(ppdev, RunPlan::Write, -1, false)), 16}};  // unchecked: pulsed
    for (const auto& [plan, pulses] : runs) {
      const RunReport report = check(plan);
      EXPECT_EQ(report.faults, std::vector<std::string>{}) << ppdev << pulses;
      EXPECT_EQ(report.pulseUs.size(), pulses) << ppdev;
    }
  }
  // The window's write, which pulses every location, is not vesk's.
  RunPlan window = planOf(false, RunPlan::Write);
  Tracer tracer;
  Recorder quiet;
  const PortSettings settings{888, 100, 1, true};
  RoutineServices services{tracer, tracer, settings, quiet};
  ASSERT_TRUE(checkPortAnswers(tracer, 888).hasValue());
  MemoryImage image(16);
  std::ranges::copy(window.image, image.data());
  (void)programChip(services, quiet, 888, 16, image, {});
  EXPECT_THAT(checkRun(asVesk(window), tracer.trace, 0x0C).faults,
              Contains(HasSubstr("location 0: step to the next location")));
}

TEST(PortCheck, ARunPointedAtABaseWhereNoPortIsMustLeaveThisPortAlone) {
  RunPlan elsewhere = planOf(false, RunPlan::Read);
  elsewhere.portHere = false;
  EXPECT_EQ(checkRun(elsewhere, {}, 0x0C).faults, std::vector<std::string>{});
  const Trace stray{{Access::Read, 0, 0xFF, 10, 1}};
  EXPECT_THAT(
      checkRun(elsewhere, stray, 0x0C).faults,
      Contains(HasSubstr("an access after the run's last one, at trace line 1 (read data)")));
}

TEST(PortCheck, EachPlantedFaultIsCaught) {
  const RunPlan write = planOf(false, RunPlan::Write), ppdevWrite = planOf(true, RunPlan::Write),
                ppdevRead = planOf(true, RunPlan::Read);
  const struct {
    RunPlan plan;
    std::function<void(Trace&)> plant;
    const char* fault;
    std::int64_t pulseUs = 1040;
  } plants[] = {
      {write, [](Trace& t) { nth(t, 0x0B)->value = 0x09; },
       "the protocol has write control 0Bh, location 0: step to the next location"},
      {planOf(false, RunPlan::Write, 5, false),
       [](Trace& t) { t.erase(nth(t, 0x0E, 15), nth(t, 0x0E, 15) + 2); },
       "the protocol has write control 0Eh, location 5 pulse 10: pulse begins"},
      {write, {}, "us, less than 1000 us", 900},
      // vesk's read after Bad Eprom missing: its board off is the last access seen.
      {rereading(planOf(false, RunPlan::Write, 5)),
       [](Trace& t) { t.erase(nth(t, 0x00, 3) + 1, t.end()); },
       "the run stops early; next would be write control 00h: board off before the counter"},
      {planOf(true, RunPlan::Write, -1, true, true), {}, "us, less than 100 us", 900},
      // To the read-back the port lets go of the data lines (3Ah) before the
      // chip drives them (32h), and back the other way round: 12h between is both.
      {ppdevWrite, [](Trace& t) { nth(t, 0x0A, 3)->value = 0x12; }, "both drive the data lines"},
      {ppdevWrite, [](Trace& t) { nth(t, 0x0A, 4)->value = 0x12; }, "both drive the data lines"},
      {ppdevWrite, [](Trace& t) { nth(t, 0x0E)->value |= 0x20; },
       "the port lets go of the data lines during the pulse"},
      {ppdevRead, [](Trace& t) { t.erase(t.begin(), t.begin() + 2); },
       "does not begin with the claim's control 0Ch"},
      {ppdevRead, [](Trace& t) { t[1].value = 0x1E; }, "not followed at once by our 00h"},
      {ppdevRead, [](Trace& t) { t.insert(nth(t, 0x03), t[0]); },
       "the protocol has write control 23h, location 0"},
      // A port acquired without the check that it answers.
      {planOf(false, RunPlan::Read), [](Trace& t) { t.erase(t.begin(), t.begin() + 7); },
       "the protocol has write data FFh: latch at FFh before the board is switched off"},
      // A status read is the kernel's business through ppdev, a fault with direct I/O.
      {planOf(false, RunPlan::Read),
       [](Trace& t) {
         t.insert(t.begin() + 8, {Access::Read, 1});
       },
       "read status"},
  };
  for (const auto& p : plants)
    EXPECT_THAT(check(p.plan, p.plant, p.pulseUs).faults, Contains(HasSubstr(p.fault))) << p.fault;
}

}  // namespace
