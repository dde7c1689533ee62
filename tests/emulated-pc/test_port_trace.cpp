// The trace checker on synthetic QEMU traces: the programmer's own runs, made
// by its real back-ends over a port that writes trace lines (for ppdev, a fake
// kernel that handles the control register as parport_pc does), pass; each
// planted fault is caught.
#include <gtest/gtest.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "BoardRoutines.h"
#include "PortTrace.h"
#include "Ppdev.h"
#include "ProtocolCheck.h"

namespace {

constexpr std::uint16_t kBase = kLpt1Base;
constexpr std::int32_t kLocations = 16;
constexpr std::uint8_t kStart = 0x61;
constexpr std::uint8_t kEnd = 0xC1;

// QEMU's log lines, on a clock that moves 2 us per access.
class TraceWriter {
 public:
  void access(bool write, unsigned reg, unsigned value) {
    line(write ? "parallel_ioport_write write [SW] addr 0x%02x val 0x%02x"
               : "parallel_ioport_read read [SW] addr 0x%02x val 0x%02x",
         reg, value);
  }
  void marker(unsigned value) { line("serial_write write addr 0x%02x val 0x%02x", 7, value); }
  void wait(std::int64_t us) { clockUs_ += us; }
  std::string text() const { return text_.str(); }

 private:
  void line(const char* format, unsigned reg, unsigned value) {
    char event[96];
    std::snprintf(event, sizeof event, format, reg, value);
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "4242@%lld.%06lld:", clockUs_ / 1'000'000,
                  clockUs_ % 1'000'000);
    text_ << stamp << event << "\n";
    clockUs_ += 2;
  }
  std::ostringstream text_;
  long long clockUs_ = 1'700'000'000'000'000;
};

// Direct I/O: every in/out reaches the port as it is.
class DirectIo final : public PortIo {
 public:
  explicit DirectIo(TraceWriter& trace) : trace_(trace) {}
  void out(std::uint16_t port, std::uint8_t value) override {
    trace_.access(true, port - kBase, value);
  }
  std::uint8_t in(std::uint16_t port) override {
    trace_.access(false, port - kBase, 0xFF);
    return 0xFF;
  }

 private:
  TraceWriter& trace_;
};

// The kernel under ppdev: it keeps the whole control register (with its
// interrupt enable) and writes it out on every change, as parport_pc does.
class FakeKernel final : public PpdevCalls {
 public:
  explicit FakeKernel(TraceWriter& trace) : trace_(trace) {}
  int open(const std::string&, std::error_code&) override { return 3; }
  void close(int) override {}
  std::error_code ioctl(int, unsigned long request, void* arg) override {
    auto* byte = static_cast<unsigned char*>(arg);
    switch (request) {
      case PPGETMODES:
        *static_cast<unsigned*>(arg) = PARPORT_MODE_PCSPP | PARPORT_MODE_TRISTATE;
        break;
      case PPCLAIM:
        writeControl(0x0C);  // the device's saved state
        writeControl(0x1C);  // interrupts on
        break;
      case PPWCONTROL:
        writeControl((control_ & 0xF0) | (*byte & 0x0F));
        break;
      case PPDATADIR:
        writeControl((control_ & ~0x20) | (*static_cast<int*>(arg) ? 0x20 : 0));
        break;
      case PPWDATA:
        trace_.access(true, 0, *byte);
        break;
      case PPRDATA:
        *byte = 0xFF;
        trace_.access(false, 0, *byte);
        break;
      case PPRELEASE:
        trace_.access(false, 2, control_ | 0xC0);  // the state saved for the next claim
        break;
      default:
        break;
    }
    return {};
  }

 private:
  void writeControl(unsigned value) {
    control_ = value;
    trace_.access(true, 2, value);
  }
  TraceWriter& trace_;
  unsigned control_ = 0x0C;
};

class PulseTiming final : public BoardTiming {
 public:
  explicit PulseTiming(TraceWriter& trace) : trace_(trace) {}
  void delay(std::int32_t) override {}
  void pulseWait(std::int32_t ms) override { trace_.wait(ms * 1000 + 40); }

 private:
  TraceWriter& trace_;
};

struct Quiet final : Progress, Messages {
  void setVisible(bool) override {}
  void setMaximum(std::int32_t) override {}
  void setValue(std::int32_t) override {}
  void show(const std::string&, const std::string&, MessageIcon) override {}
};

// A blank chip except the byte at `badAt`, which it never takes.
std::vector<std::uint8_t> imageWithBadByteAt(std::int32_t badAt) {
  std::vector<std::uint8_t> image(kLocations, 0xFF);
  if (badAt >= 0) image[badAt] = 0x5A;
  return image;
}

RunPlan planOf(PortDriver driver, BoardCommand command, std::vector<std::uint8_t> image = {},
               bool blankCheck = true) {
  return {"run", driver, command, kLocations, 1, blankCheck, std::move(image)};
}

// The trace of one run of the programmer's own routines, between its markers.
std::vector<TraceEvent> traceOf(const RunPlan& plan) {
  TraceWriter trace;
  trace.access(true, 2, 0x0C);  // left by the drivers' probe
  trace.marker(kStart);
  {
    DirectIo direct(trace);
    FakeKernel kernel(trace);
    std::unique_ptr<PpdevPort> ppdev;
    if (plan.driver == PortDriver::Ppdev) {
      Expected<std::unique_ptr<PpdevPort>> opened = PpdevPort::open(kernel, "p", kBase);
      if (!opened) {
        ADD_FAILURE() << opened.error();
        return {};
      }
      ppdev = std::move(*opened);
    }
    PortIo& port = ppdev ? static_cast<PortIo&>(*ppdev) : direct;
    PulseTiming timing(trace);
    Quiet quiet;
    PortSettings settings;
    settings.VerifyEmpty = plan.blankCheck;
    RoutineServices services{port, timing, settings, quiet, quiet};
    MemoryImage image(kLocations);
    std::copy(plan.image.begin(), plan.image.end(), image.data());
    if (plan.command == BoardCommand::Read) Read_Eprom(services, kBase, kLocations, image);
    if (plan.command == BoardCommand::Blank) Blank_Check(services, kBase, kLocations);
    if (plan.command == BoardCommand::Write) Write_Eprom(services, kBase, kLocations, image);
  }
  trace.marker(kEnd);
  std::istringstream in(trace.text());
  return parseTrace(in);
}

RunReport check(const RunPlan& plan, const std::vector<TraceEvent>& events) {
  const Expected<std::span<const TraceEvent>> segment = findSegment(events, kStart, kEnd);
  if (!segment) {
    RunReport missing;
    missing.faults.push_back(segment.error());
    return missing;
  }
  return checkRun(plan, *segment, controlBefore(events, *segment));
}

std::string allFaults(const RunReport& report) {
  std::string text;
  for (const std::string& fault : report.faults) text += fault + "\n";
  return text;
}

bool controlWrite(const TraceEvent& event, unsigned value, unsigned mask = 0xFF) {
  return event.kind == TraceEvent::Kind::Write && event.reg == 2 && (event.value & mask) == value;
}

// The first control write with `value` under `mask`, by default past the
// probe's write, the start marker and the claim.
std::size_t findControl(const std::vector<TraceEvent>& events, unsigned value, unsigned mask = 0xFF,
                        std::size_t from = 5) {
  for (std::size_t i = from; i < events.size(); ++i)
    if (controlWrite(events[i], value, mask)) return i;
  ADD_FAILURE() << "no control write " << value;
  return 0;
}

void expectFault(const RunReport& report, const std::string& part) {
  EXPECT_FALSE(report.ok());
  EXPECT_NE(allFaults(report).find(part), std::string::npos) << allFaults(report);
}

class RunsOnBothDrivers : public ::testing::TestWithParam<PortDriver> {};

TEST_P(RunsOnBothDrivers, TheProgrammersRunsPassWithTheirPulsesCounted) {
  const PortDriver driver = GetParam();
  for (const RunPlan& plan :
       {planOf(driver, BoardCommand::Read), planOf(driver, BoardCommand::Blank),
        planOf(driver, BoardCommand::Write, imageWithBadByteAt(-1)),
        planOf(driver, BoardCommand::Write, imageWithBadByteAt(5), false)}) {
    const RunReport report = check(plan, traceOf(plan));
    EXPECT_TRUE(report.ok()) << allFaults(report);
    std::vector<std::int32_t> locations;
    for (const ObservedPulse& pulse : report.pulses) {
      locations.push_back(pulse.location);
      EXPECT_GE(pulse.widthUs, 1000);
    }
    if (plan.command != BoardCommand::Write) {
      EXPECT_TRUE(locations.empty());
    } else if (plan.image == imageWithBadByteAt(5)) {  // one pulse each, then ten at 5 and the end
      EXPECT_EQ(locations.size(), 15u);
      EXPECT_EQ(std::count(locations.begin(), locations.end(), 5), 10);
    } else {
      EXPECT_EQ(locations.size(), std::size_t{kLocations});
    }
    EXPECT_EQ(report.claimPulseUs >= 0, driver == PortDriver::Ppdev);
  }
}

TEST_P(RunsOnBothDrivers, PlantedFaultsAreCaught) {
  const PortDriver driver = GetParam();
  const RunPlan write = planOf(driver, BoardCommand::Write, imageWithBadByteAt(5), false);
  const std::vector<TraceEvent> good = traceOf(write);

  auto events = good;  // a wrong control value: Strobe missing from a step
  events[findControl(events, 0x0B, 0x0F)].value &= ~0x01;
  expectFault(check(write, events), "the protocol has write control 0x0B, location 0");

  events = good;  // a wrong byte on the data lines
  std::find_if(events.begin(), events.end(), [](const TraceEvent& e) {
    return e.kind == TraceEvent::Kind::Write && e.reg == 0;
  })->value = 0xFE;
  expectFault(check(write, events), "location 0 pulse 1: the byte to program");

  events = good;  // a pulse too few at location 5: its begin and end taken out
  const std::size_t lastPulse = [&] {
    std::size_t at = 0;
    for (std::size_t i = 0; i < events.size(); ++i)
      if (controlWrite(events[i], 0x0E, 0x0F)) at = i;
    return at;
  }();
  events.erase(events.begin() + static_cast<std::ptrdiff_t>(lastPulse),
               events.begin() + static_cast<std::ptrdiff_t>(lastPulse) + 2);
  expectFault(check(write, events), "location 5 got 9 pulses; the protocol gives it 10");

  events = good;  // a pulse cut to 900 us
  const std::size_t pulse = findControl(events, 0x0E, 0x0F);
  const std::int64_t cut = events[pulse + 1].timeUs - events[pulse].timeUs - 900;
  for (std::size_t i = pulse + 1; i < events.size(); ++i) events[i].timeUs -= cut;
  expectFault(check(write, events), "lasts 900 us, less than 1 ms");
}

INSTANTIATE_TEST_SUITE_P(Drivers, RunsOnBothDrivers,
                         ::testing::Values(PortDriver::Direct, PortDriver::Ppdev));

TEST(PortTraceCheck, DirectIoAllowsNoExtraAccessWherePpdevAllowsWhatTheBoardCannotSee) {
  const RunPlan direct = planOf(PortDriver::Direct, BoardCommand::Read);
  const RunPlan ppdev = planOf(PortDriver::Ppdev, BoardCommand::Read);
  for (const RunPlan& plan : {direct, ppdev}) {
    auto events = traceOf(plan);
    TraceEvent status = events[6];
    status.kind = TraceEvent::Kind::Read;
    status.reg = 1;
    events.insert(events.begin() + 6, status);
    for (TraceEvent& event : events)
      if (controlWrite(event, 0, 0)) event.value |= 0xD0;  // interrupt enable, bits 6-7
    const RunReport report = check(plan, events);
    EXPECT_EQ(report.ok(), plan.driver == PortDriver::Ppdev) << allFaults(report);
  }
  auto events = traceOf(ppdev);  // a data read the protocol does not make
  const std::size_t read = findControl(events, 0x03, 0x0F);
  events.insert(events.begin() + static_cast<std::ptrdiff_t>(read) + 1, events[read - 1]);
  expectFault(check(ppdev, events), "the protocol has write control 0x22");
}

TEST(PortTraceCheck, DirectionChangesMustNeverLetPortAndChipDriveTogether) {
  const RunPlan write = planOf(PortDriver::Ppdev, BoardCommand::Write, imageWithBadByteAt(-1));
  const auto good = traceOf(write);

  // The fake kernel keeps the interrupt enable (10h) on. To the read-back the
  // port lets go of the data lines (3Ah) before the chip is told to drive
  // them (32h); planted: the chip first (12h), then the port lets go (32h).
  auto events = good;
  const std::size_t toInput = findControl(events, 0x3A, 0xFF, findControl(events, 0x0E, 0x0F));
  ASSERT_TRUE(controlWrite(events[toInput + 1], 0x32));
  events[toInput].value = 0x12;
  expectFault(check(write, events), "both drive the data lines after trace line");

  // Back from it the chip stops (3Ah) before the port drives again (1Ah);
  // planted: the port first (12h), then the chip stops (1Ah).
  events = good;
  const std::size_t toOutput = findControl(events, 0x3A, 0xFF, toInput + 2);
  ASSERT_TRUE(controlWrite(events[toOutput + 1], 0x1A));
  events[toOutput].value = 0x12;
  expectFault(check(write, events), "both drive the data lines");

  // The pulse with the data lines left floating.
  events = good;
  const std::size_t pulse = findControl(events, 0x0E, 0x0F);
  events[pulse].value |= 0x20;
  expectFault(check(write, events), "the port does not drive the data lines");
}

TEST(PortTraceCheck, TheClaimComesFirstAndOnce) {
  const RunPlan read = planOf(PortDriver::Ppdev, BoardCommand::Read);
  const auto good = traceOf(read);
  const std::size_t claim = findControl(good, 0x0C, 0x0F, 2);
  ASSERT_EQ(good[claim - 1].kind, TraceEvent::Kind::Marker);
  EXPECT_EQ(check(read, good).claim.size(), 3u);  // 0Ch, the interrupt enable, our 00h

  auto events = good;  // our 00h late: the kernel's 0Ch followed by another line change
  events[claim + 1].value = 0x0E;
  expectFault(check(read, events), "is not followed at once by our 00h");

  events = good;  // no claim at all: the run begins with our 00h
  events.erase(events.begin() + static_cast<std::ptrdiff_t>(claim),
               events.begin() + static_cast<std::ptrdiff_t>(claim) + 2);
  expectFault(check(read, events), "does not begin with the claim's control 0Ch");

  events = good;  // a second claim in the middle
  TraceEvent again = good[claim];
  events.insert(events.begin() + static_cast<std::ptrdiff_t>(findControl(events, 0x23, 0x2F)),
                again);
  expectFault(check(read, events), "a second claim");
}

TEST(PortTraceCheck, TraceLinesMarkersAndSegments) {
  std::istringstream in(
      "noise\n"
      "7@10.000005:parallel_ioport_write write [SW] addr 0x02 val 0x0c\n"
      "7@10.000010:serial_write write addr 0x07 val 0x61\n"
      "7@10.000011:serial_write write addr 0x00 val 0x61\n"
      "7@10.000020:parallel_ioport_read read [SW] addr 0x00 val 0xff\n"
      "7@11.000001:serial_write write addr 0x07 val 0xc1\n"
      "7@x.1:parallel_ioport_write write [SW] addr 0x02 val 0x00\n");
  const auto events = parseTrace(in);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].timeUs, 10'000'005);
  EXPECT_EQ(events[0].line, 2u);
  EXPECT_EQ(events[2].kind, TraceEvent::Kind::Read);
  const Expected<std::span<const TraceEvent>> segment = findSegment(events, 0x61, 0xC1);
  ASSERT_TRUE(segment) << segment.error();
  ASSERT_EQ(segment->size(), 1u);
  EXPECT_EQ((*segment)[0].timeUs, 10'000'020);
  EXPECT_EQ(controlBefore(events, *segment), 0x0C);
  for (const auto& [open, close, why] :
       {std::tuple{0x62, 0xC2, "start marker 98"}, std::tuple{0x61, 0xC2, "end marker 194"}}) {
    const Expected<std::span<const TraceEvent>> missing = findSegment(events, open, close);
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.error().find(why), std::string::npos) << missing.error();
  }
}

}  // namespace
