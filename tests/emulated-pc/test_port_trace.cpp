// The trace checker on the programmer's own runs, traced as QEMU traces
// them: over direct I/O, and over ppdev on a fake kernel that keeps the
// control register as parport_pc does. They pass; each planted fault is caught.
#include <gtest/gtest.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <sstream>

#include "BoardRoutines.h"
#include "PortCheck.h"
#include "Ppdev.h"

namespace {

constexpr std::int32_t kLocations = 16;

struct Tracer final : PortIo, BoardTiming, PpdevCalls, Progress, Messages {
  void log(Access::Kind kind, unsigned reg, unsigned value) {
    trace.push_back({kind, std::uint8_t(reg), std::uint8_t(value), clock += 2, trace.size() + 1});
  }
  void out(std::uint16_t port, std::uint8_t value) override { log(Access::Write, port & 3, value); }
  std::uint8_t in(std::uint16_t port) override { return log(Access::Read, port & 3, 0xFF), 0xFF; }
  void delay(std::int32_t) override {}
  void pulseWait(std::int32_t ms) override { clock += ms * 1000 + 40; }
  int open(const std::string&, std::error_code&) override { return 3; }
  void close(int) override {}
  std::error_code ioctl(int, unsigned long request, void* arg) override {
    const auto byte = static_cast<unsigned char*>(arg);
    const auto control = [&](unsigned value) { log(Access::Write, 2, kernelControl = value); };
    if (request == PPGETMODES) *static_cast<unsigned*>(arg) = PARPORT_MODE_TRISTATE;
    if (request == PPCLAIM) control(0x0C), control(0x1C);  // saved state, then interrupts on
    if (request == PPWCONTROL) control((kernelControl & 0xF0) | (*byte & 0x0F));
    if (request == PPDATADIR) control((kernelControl & ~0x20) | (*static_cast<int*>(arg) << 5));
    if (request == PPWDATA) log(Access::Write, 0, *byte);
    if (request == PPRDATA) log(Access::Read, 0, *byte = 0xFF);
    if (request == PPRELEASE) log(Access::Read, 2, kernelControl);
    return {};
  }
  void setVisible(bool) override {}
  void setMaximum(std::int32_t) override {}
  void setValue(std::int32_t) override {}
  void show(const std::string&, const std::string&, MessageIcon) override {}

  std::vector<Access> trace;
  std::int64_t clock = 0;
  unsigned kernelControl = 0x0C;  // as the drivers' probe leaves it
};

// A blank chip's worth of FFh but at `badAt`, which the chip never takes.
RunPlan planOf(bool ppdev, RunPlan::Command command, int badAt = -1, bool blankCheck = true) {
  RunPlan plan{ppdev, command,    kLocations,
               1,     blankCheck, std::vector<std::uint8_t>(kLocations, 0xFF)};
  if (badAt >= 0) plan.image[badAt] = 0x5A;
  return plan;
}

std::vector<Access> traceOf(const RunPlan& plan) {
  Tracer tracer;
  std::unique_ptr<PpdevPort> ppdev;
  if (plan.ppdev) ppdev = std::move(PpdevPort::open(tracer, "/dev/parport0", kLpt1Base).value());
  PortSettings settings;
  settings.VerifyEmpty = plan.blankCheck;
  RoutineServices services{ppdev ? *ppdev : static_cast<PortIo&>(tracer), tracer, settings, tracer,
                           tracer};
  MemoryImage image(kLocations);
  std::copy(plan.image.begin(), plan.image.end(), image.data());
  if (plan.command == RunPlan::Read) Read_Eprom(services, kLpt1Base, kLocations, image);
  if (plan.command == RunPlan::Blank) (void)Blank_Check(services, kLpt1Base, kLocations);
  if (plan.command == RunPlan::Write) Write_Eprom(services, kLpt1Base, kLocations, image);
  ppdev.reset();  // the release
  return tracer.trace;
}

std::string faultsOf(const RunPlan& plan, const std::vector<Access>& trace) {
  std::string text;
  for (const std::string& fault : checkRun(plan, trace, 0x0C).faults) text += fault + "\n";
  return text;
}

// The index of the n-th control write whose lines (bits 0-3) are `lines`.
std::size_t nth(const std::vector<Access>& trace, std::uint8_t lines, int n = 1) {
  for (std::size_t i = 0; i < trace.size(); ++i)
    if (trace[i].kind == Access::Write && trace[i].reg == 2 && (trace[i].value & 0x0F) == lines &&
        --n == 0)
      return i;
  throw std::out_of_range("no such control write");
}

TEST(PortCheck, TheProgrammersRunsPassWithEveryPulseCounted) {
  for (const bool ppdev : {false, true}) {
    for (const RunPlan& plan :
         {planOf(ppdev, RunPlan::Read), planOf(ppdev, RunPlan::Blank),
          planOf(ppdev, RunPlan::Write), planOf(ppdev, RunPlan::Write, 5, false)}) {
      const RunReport report = checkRun(plan, traceOf(plan), 0x0C);
      EXPECT_EQ(report.faults, std::vector<std::string>{}) << ppdev << plan.command;
      EXPECT_EQ(report.pulseUs.size(), plan.command != RunPlan::Write ? 0u
                                       : plan.blankCheck              ? 16u
                                                                      : 15u);
      EXPECT_EQ(report.claimUs >= 0, ppdev);
    }
  }
}

TEST(PortCheck, AWrongControlValueBreaksTheSequence) {
  for (const bool ppdev : {false, true}) {
    const RunPlan plan = planOf(ppdev, RunPlan::Write);
    std::vector<Access> trace = traceOf(plan);
    trace[nth(trace, 0x0B)].value &= ~0x02;  // a step of 09h
    EXPECT_NE(faultsOf(plan, trace).find("the protocol has write control 0Bh, location 0: step"),
              std::string::npos)
        << faultsOf(plan, trace);
  }
}

TEST(PortCheck, APulseTooFewOrTooShortIsCaught) {
  for (const bool ppdev : {false, true}) {
    const RunPlan plan = planOf(ppdev, RunPlan::Write, 5, false);
    std::vector<Access> trace = traceOf(plan);
    const std::size_t last = nth(trace, 0x0E, 15);  // the tenth at location 5: begin and end out
    trace.erase(trace.begin() + static_cast<std::ptrdiff_t>(last),
                trace.begin() + static_cast<std::ptrdiff_t>(last) + 2);
    EXPECT_NE(faultsOf(plan, trace).find("location 5 got 9 pulses; the protocol gives it 10"),
              std::string::npos);
    trace = traceOf(plan);
    const std::size_t first = nth(trace, 0x0E);
    const std::int64_t cut = trace[first + 1].timeUs - trace[first].timeUs - 900;
    for (std::size_t i = first + 1; i < trace.size(); ++i) trace[i].timeUs -= cut;
    EXPECT_NE(faultsOf(plan, trace).find("lasts 900 us, less than 1 ms"), std::string::npos);
  }
}

TEST(PortCheck, DirectionChangesInTheUnsafeOrderAreCaught) {
  // To the read-back the port lets go of the data lines (3Ah) before the
  // chip drives them (32h); back from it the chip stops (3Ah) before the
  // port drives them (1Ah). Planted: the other way round, 12h in between.
  const RunPlan plan = planOf(true, RunPlan::Write);
  for (const int which : {1, 2}) {
    std::vector<Access> trace = traceOf(plan);
    const std::size_t pulse = nth(trace, 0x0E);
    std::size_t turn = pulse;
    for (int found = 0; found < which; ++turn) found += trace[turn].value == 0x3A;
    trace[turn - 1].value = 0x12;
    EXPECT_NE(faultsOf(plan, trace).find("both drive the data lines"), std::string::npos);
  }
  std::vector<Access> trace = traceOf(plan);
  trace[nth(trace, 0x0E)].value |= 0x20;
  EXPECT_NE(faultsOf(plan, trace).find("the port lets go of the data lines during the pulse"),
            std::string::npos);
}

TEST(PortCheck, TheClaimComesFirstAndOnceAndDirectIoHasNoExtraAccess) {
  const RunPlan plan = planOf(true, RunPlan::Read);
  const std::vector<Access> good = traceOf(plan);
  std::vector<Access> trace = good;
  trace.erase(trace.begin(), trace.begin() + 2);  // no claim
  EXPECT_NE(faultsOf(plan, trace).find("does not begin with the claim's control 0Ch"),
            std::string::npos);
  trace = good;
  trace[1].value = 0x1E;  // our 00h late
  EXPECT_NE(faultsOf(plan, trace).find("not followed at once by our 00h"), std::string::npos);
  trace = good;
  trace.insert(trace.begin() + static_cast<std::ptrdiff_t>(nth(trace, 0x03)), good[0]);
  EXPECT_NE(faultsOf(plan, trace).find("a second claim"), std::string::npos);
  // A status read: the kernel's business through ppdev, a fault with direct I/O.
  const RunPlan direct = planOf(false, RunPlan::Read);
  for (const RunPlan& run : {plan, direct}) {
    trace = traceOf(run);
    trace.insert(trace.begin() + 8, {Access::Read, 1, 0x7F});
    EXPECT_EQ(faultsOf(run, trace).empty(), run.ppdev) << faultsOf(run, trace);
  }
}

TEST(PortCheck, ReadsQemusTraceLines) {
  std::istringstream in(
      "7@10.000005:parallel_ioport_write write [SW] addr 0x02 val 0x0c\n"
      "7@10.000010:serial_write write addr 0x07 val 0x61\n"
      "7@10.000011:serial_write write addr 0x00 val 0x61\n"
      "7@11.000020:parallel_ioport_read read [SW] addr 0x00 val 0xff\n");
  const std::vector<Access> trace = parseTrace(in);
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(std::tuple(trace[0].kind, trace[0].reg, trace[0].value, trace[0].timeUs),
            std::tuple(Access::Write, 2, 0x0C, 10'000'005));
  EXPECT_EQ(std::tuple(trace[1].kind, trace[1].value, trace[2].kind, trace[2].line),
            std::tuple(Access::Marker, 0x61, Access::Read, 4u));
}

}  // namespace
