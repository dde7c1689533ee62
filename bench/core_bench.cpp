// Speed of the programmer core: the read loop against the bare simulated
// accesses, a programming run's total time, the programming algorithms on a
// 2764 against their pulse budget, vesk's write of 1 KiB into a 27C512
// against the pulses it needs and one read of the chip, the pulse's length
// as timed, Delay_Loop's unit, the checksum.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "BoardControl.h"
#include "BoardRoutines.h"
#include "BoardSimulator.h"
#include "BoardTiming.h"
#include "CheckSum.h"
#include "ChipComparison.h"
#include "DelayLoop.h"
#include "ProgrammingAlgorithms.h"

namespace {

constexpr std::int16_t kBase = kLpt1Base;
constexpr std::int32_t k27080 = 1 << 20;
constexpr std::int32_t k2732 = 4096;
constexpr std::int32_t k2764 = 8192;
constexpr std::int32_t k27C512 = 65536;
constexpr auto kBusAccess = std::chrono::microseconds(1);  // a real board's port access
constexpr std::int64_t kDelayLoopIterations = 10'000'000;

// As cheap as the window's progress bar between repaints: the value is stored.
class StoredProgress final : public Progress {
 public:
  void setVisible(bool) override {}
  void setMaximum(std::int32_t) override {}
  void setValue(std::int32_t value) override { last = value; }
  std::int32_t last = 0;
};

std::vector<std::uint8_t> randomBytes(std::size_t count) {
  std::mt19937 random(27);
  std::vector<std::uint8_t> bytes(count);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

// The same simulated accesses as a read, through the same PortIo, and nothing
// else: no delays, no progress.
void bareReadLoop(PortIo& port, std::uint8_t* bytes) {
  const std::uint16_t data = kBase;
  const std::uint16_t control = kBase + 2;
  port.out(control, control_value::kOff);
  port.out(control, control_value::kRead);
  for (std::int32_t location = 0; location < k27080; ++location) {
    bytes[location] = port.in(data);
    port.out(control, control_value::kReadStep);
    port.out(control, control_value::kRead);
  }
}

template <class Read>
double secondsTaken(Read&& read) {
  const auto start = std::chrono::steady_clock::now();
  read();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A 27080 read on the simulator with IoDelay 0, two ways, interleaved so
// that the machine's other load hits both alike; the fastest round of each
// counts: the bare access loop, and Read_Eprom as the program runs it.
void BM_Read_27080_Against_Bare_Loop(benchmark::State& state) {
  BoardSimulator simulator(kBase, k27080);
  simulator.chip() = randomBytes(k27080);
  // Hidden from the optimiser, so that every variant calls through PortIo as
  // the program does, none of them straight into the simulator.
  PortIo* opaque = &simulator;
  benchmark::DoNotOptimize(opaque);
  PortIo& port = *opaque;
  RealTiming timing;
  PortSettings settings;
  settings.IoDelay = 0;
  StoredProgress progress;
  RoutineServices services{port, timing, settings, progress};
  MemoryImage image;
  std::vector<std::uint8_t> bytes(k27080);
  double bare = 1e9, interfaces = 1e9;
  for (auto _ : state) {
    bare = std::min(bare, secondsTaken([&] { bareReadLoop(port, bytes.data()); }));
    interfaces =
        std::min(interfaces, secondsTaken([&] { Read_Eprom(services, kBase, k27080, image); }));
    benchmark::DoNotOptimize(bytes.data());
    benchmark::DoNotOptimize(image.data());
  }
  if (!std::equal(bytes.begin(), bytes.end(), image.data()))
    state.SkipWithError("the reads differ");
  state.counters["bare_ns"] = bare / k27080 * 1e9;
  state.counters["read_ns"] = interfaces / k27080 * 1e9;
}

void BM_Write_Eprom_2732_Pulse1(benchmark::State& state) {
  BoardSimulator simulator(kBase, k2732);
  RealTiming timing;
  PortSettings settings;
  settings.IoDelay = 0;
  settings.ProgPulse = 1;
  StoredProgress progress;
  RoutineServices services{simulator, timing, settings, progress};
  MemoryImage image(k2732);
  const auto bytes = randomBytes(k2732);
  std::copy(bytes.begin(), bytes.end(), image.data());
  for (auto _ : state) {
    state.PauseTiming();
    std::fill(simulator.chip().begin(), simulator.chip().end(), 0xFF);  // a fresh blank chip
    state.ResumeTiming();
    (void)Write_Eprom(services, kBase, k2732, image);
  }
  if (!std::equal(simulator.chip().begin(), simulator.chip().end(), image.data()))
    state.SkipWithError("the chip does not hold the image");
}

// Counts the accesses it passes on to the port.
class CountedPort final : public PortIo {
 public:
  explicit CountedPort(PortIo& port) : port_(port) {}
  void out(std::uint16_t port, std::uint8_t value) override {
    ++accesses;
    port_.out(port, value);
  }
  std::uint8_t in(std::uint16_t port) override {
    ++accesses;
    return port_.in(port);
  }
  std::uint64_t accesses = 0;

 private:
  PortIo& port_;
};

// A 2764 programmed on the simulator with real timing and 1 us per access,
// IoDelay 0, by the algorithm given as the argument; one run. Counters: the
// pulse budget (locations x pulses x pulse length) and the accesses' time.
void BM_Write_2764(benchmark::State& state) {
  const auto algorithm = static_cast<ProgrammingAlgorithm>(state.range(0));
  BoardSimulator simulator(kBase, k2764);
  simulator.setLatency(kBusAccess);
  RealTiming timing;
  simulator.setClock(timing);
  CountedPort port(simulator);
  PortSettings settings;
  settings.IoDelay = 0;
  StoredProgress progress;
  RoutineServices services{port, timing, settings, progress};
  MemoryImage image(k2764);
  const auto bytes = randomBytes(k2764);
  std::copy(bytes.begin(), bytes.end(), image.data());
  WriteResult result;
  for (auto _ : state) {
    state.PauseTiming();
    std::fill(simulator.chip().begin(), simulator.chip().end(), 0xFF);
    port.accesses = 0;
    state.ResumeTiming();
    result = Write_Eprom(services, kBase, k2764, image, {algorithm});
  }
  if (result.outcome != WriteOutcome::Programmed ||
      !std::equal(simulator.chip().begin(), simulator.chip().end(), image.data()))
    state.SkipWithError("the chip does not hold the image");
  std::int64_t pulses = 0;
  for (std::size_t n = 1; n < result.pulses.took.size(); ++n)
    pulses += static_cast<std::int64_t>(n) * result.pulses.took[n];
  const PulsePlan plan = pulsePlanOf({algorithm}, settings);
  state.counters["budget_s"] =
      static_cast<double>(pulses) * std::chrono::duration<double>(plan.pulse).count();
  state.counters["accesses_s"] =
      static_cast<double>(port.accesses) * std::chrono::duration<double>(kBusAccess).count();
  state.SetLabel(algorithmName(algorithm));
}

// The progress bar as a clock: when each pass over the chip began (its
// value falls back to 1 at every new pass), and when the last value came.
class PassClock final : public Progress {
 public:
  using Clock = std::chrono::steady_clock;
  void setVisible(bool) override {}
  void setMaximum(std::int32_t) override {}
  void setValue(std::int32_t value) override {
    if (value <= last_) passStarts.push_back(Clock::now());
    last_ = value;
  }
  void restart() {
    passStarts = {Clock::now()};
    last_ = 0;
  }
  std::vector<Clock::time_point> passStarts;

 private:
  std::int32_t last_ = 0;
};

double secondsBetween(PassClock::Clock::time_point from, PassClock::Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

std::int64_t pulsesGiven(const PulseCounts& counts) {
  std::int64_t pulses = 0;
  for (std::size_t n = 1; n < counts.took.size(); ++n)
    pulses += static_cast<std::int64_t>(n) * counts.took[n];
  return pulses;
}

// vesk's write of 1 KiB of code into a blank 27C512, quick algorithm, on the
// simulator with real timing and 1 us per access, IoDelay 0; one run. Timed
// apart, in one run: one read of the whole chip (the baseline's, the faster
// of two), and the
// steps of the write as vesk makes them: the blank check, the programming
// pass (the FFh locations stepped over), the read of the whole chip that
// ends every write and its comparison with the image. Then, for comparison,
// the programming pass as the window makes it, every location pulsed.
void BM_Write_27C512_1KiB(benchmark::State& state) {
  BoardSimulator simulator(kBase, k27C512);
  simulator.setLatency(kBusAccess);
  RealTiming timing;
  simulator.setClock(timing);
  PortSettings settings;
  settings.IoDelay = 0;
  PassClock clock;
  RoutineServices services{simulator, timing, settings, clock};
  MemoryImage image(k27C512);
  std::fill_n(image.data(), k27C512, 0xFF);
  const auto code = randomBytes(1024);
  std::copy(code.begin(), code.end(), image.data());
  const ProgrammingMethod quick{ProgrammingAlgorithm::Quick};
  const std::span<const std::uint8_t> meant(image.data(), k27C512);
  double read = 0, blank = 0, programming = 0, verify = 0, pulsedAll = 0;
  WriteResult written;
  ChipComparison compared;
  for (auto _ : state) {
    std::fill(simulator.chip().begin(), simulator.chip().end(), 0xFF);
    // The baseline's read: the faster of two, so that a cold start does not flatter the ratios.
    MemoryImage chip;
    read = 1e9;
    for (int round = 0; round < 2; ++round) {
      clock.restart();
      Read_Eprom(services, kBase, k27C512, chip);
      read = std::min(read, secondsBetween(clock.passStarts.front(), PassClock::Clock::now()));
    }
    // The blank check is the write's first pass, the programming its second.
    clock.restart();
    written = Write_Eprom(services, kBase, k27C512, image, quick, {}, ErasedLocations::SteppedOver);
    const auto programmed = PassClock::Clock::now();
    if (clock.passStarts.size() != 2) state.SkipWithError("not a blank check, then programming");
    blank = secondsBetween(clock.passStarts.front(), clock.passStarts.back());
    programming = secondsBetween(clock.passStarts.back(), programmed);
    clock.restart();
    Read_Eprom(services, kBase, k27C512, chip);
    compared = compareChip({chip.data(), static_cast<std::size_t>(k27C512)}, meant);
    verify = secondsBetween(clock.passStarts.front(), PassClock::Clock::now());
    // The window's programming pass on a blank chip: every location pulsed.
    std::fill(simulator.chip().begin(), simulator.chip().end(), 0xFF);
    settings.VerifyEmpty = false;
    clock.restart();
    (void)Write_Eprom(services, kBase, k27C512, image, quick);
    pulsedAll = secondsBetween(clock.passStarts.front(), PassClock::Clock::now());
    settings.VerifyEmpty = true;
  }
  if (written.outcome != WriteOutcome::Programmed || compared.differences != 0)
    state.SkipWithError("the chip does not hold the image");
  const PulsePlan plan = pulsePlanOf(quick, settings);
  state.counters["pulses"] = static_cast<double>(pulsesGiven(written.pulses));
  state.counters["budget_s"] = static_cast<double>(pulsesGiven(written.pulses)) *
                               std::chrono::duration<double>(plan.pulse).count();
  state.counters["read_s"] = read;
  state.counters["blank_s"] = blank;
  state.counters["programming_s"] = programming;
  state.counters["verify_s"] = verify;
  state.counters["pulsed_all_s"] = pulsedAll;
}

// Pulses of the argument's microseconds, each timed on the steady clock
// around the wait; the counters give the median, the shortest and the longest.
void BM_Pulse_Length(benchmark::State& state) {
  const std::chrono::microseconds asked(state.range(0));
  const int count = asked < std::chrono::milliseconds(1) ? 2000 : 500;
  RealTiming timing;
  std::vector<double> lengths;
  for (auto _ : state) {
    for (int pulse = 0; pulse < count; ++pulse) {
      const auto start = std::chrono::steady_clock::now();
      timing.pulseWait(asked);
      lengths.push_back(
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
              .count());
    }
  }
  std::sort(lengths.begin(), lengths.end());
  state.counters["median_us"] = lengths[lengths.size() / 2];
  state.counters["shortest_us"] = lengths.front();
  state.counters["longest_us"] = lengths.back();
}

void BM_Delay_Loop(benchmark::State& state) {
  for (auto _ : state) Delay_Loop(static_cast<std::int32_t>(kDelayLoopIterations));
}

void BM_Calc_CheckSum_1MiB(benchmark::State& state) {
  MemoryImage image(k27080);
  const auto bytes = randomBytes(k27080);
  std::copy(bytes.begin(), bytes.end(), image.data());
  for (auto _ : state) benchmark::DoNotOptimize(Calc_CheckSum(image, k27080));
}

BENCHMARK(BM_Read_27080_Against_Bare_Loop)->Unit(benchmark::kMillisecond)->Iterations(40);
BENCHMARK(BM_Write_Eprom_2732_Pulse1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();
// Side by side, one run each: the default algorithm takes some 8 s.
BENCHMARK(BM_Write_2764)
    ->Arg(static_cast<int>(ProgrammingAlgorithm::Quick))
    ->Arg(static_cast<int>(ProgrammingAlgorithm::Default))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
// One run: the window's way pulses all 65,536 locations, some 7 s.
BENCHMARK(BM_Write_27C512_1KiB)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Pulse_Length)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Delay_Loop)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_Calc_CheckSum_1MiB)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// Keeps the best repetition of each benchmark (real time per iteration, in
// seconds) and its counters for the summary, under the benchmark's name and,
// for one with an argument, "/argument" after it ("BM_Pulse_Length/100",
// "BM_Pulse_Length/100:median_us").
class SummaryReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double seconds =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      const std::string& args = run.run_name.args;
      const std::string name = run.run_name.function_name + (args.empty() ? "" : "/" + args);
      auto [entry, added] = best_.try_emplace(name, seconds);
      if (!added) entry->second = std::min(entry->second, seconds);
      for (const auto& [counterName, counter] : run.counters)
        counters_[args.empty() ? counterName : name + ":" + counterName] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  double counter(const std::string& name) const {
    const auto found = counters_.find(name);
    return found == counters_.end() ? std::numeric_limits<double>::quiet_NaN() : found->second;
  }

  double best(const std::string& name) const {
    const auto found = best_.find(name);
    return found == best_.end() ? std::numeric_limits<double>::quiet_NaN() : found->second;
  }

 private:
  std::map<std::string, double> best_;
  std::map<std::string, double> counters_;
};

void printSummary(const SummaryReporter& results) {
  const double bare = results.counter("bare_ns");
  const double read = results.counter("read_ns");
  const double write = results.best("BM_Write_Eprom_2732_Pulse1") * 1e3;
  const double delay = results.best("BM_Delay_Loop") / kDelayLoopIterations * 1e9;
  const double checksum = results.best("BM_Calc_CheckSum_1MiB") * 1e6;
  std::printf("\nSummary (best repetition of each)\n");
  std::printf("  Read of a 27080, IoDelay 0, against the bare access loop (%.2f ns/location):\n",
              bare);
  std::printf("    Read_Eprom through the interfaces: %.2f ns/location, ratio %.3f (limit 1.10)\n",
              read, read / bare);
  std::printf(
      "  Write_Eprom 2732, ProgPulse 1, IoDelay 0: %.0f ms; ratio to 4096 ms %.3f"
      " (limit 1.15)\n",
      write, write / 4096.0);
  const auto quick =
      "BM_Write_2764/" + std::to_string(static_cast<int>(ProgrammingAlgorithm::Quick));
  const auto standard =
      "BM_Write_2764/" + std::to_string(static_cast<int>(ProgrammingAlgorithm::Default));
  const double quickTime = results.best(quick), standardTime = results.best(standard);
  const double quickLimit =
      1.15 * results.counter(quick + ":budget_s") + results.counter(quick + ":accesses_s");
  std::printf(
      "  2764 on the simulator, real timing, 1 us per access, IoDelay 0:\n"
      "    quick %.3f s (pulse budget %.3f s, accesses %.3f s; limit 1.15 x budget + accesses"
      " = %.3f s)\n"
      "    default %.3f s; default / quick %.2f (limit at least 8)\n",
      quickTime, results.counter(quick + ":budget_s"), results.counter(quick + ":accesses_s"),
      quickLimit, standardTime, standardTime / quickTime);
  const double budget = results.counter("budget_s"), chipRead = results.counter("read_s");
  const double programming = results.counter("programming_s");
  const double board = results.counter("blank_s") + programming + results.counter("verify_s");
  std::printf(
      "  vesk's write of 1 KiB into a 27C512, quick, 1 us per access, IoDelay 0; baseline = the\n"
      "  pulses the 1 KiB needs (%.0f x 100 us = %.3f s) + one read of the chip (%.3f s) = %.3f "
      "s:\n"
      "    programming pass, FFh stepped over: %.3f s, ratio %.3f (limit 1.20)\n"
      "    the write's board work (blank check %.3f s + programming + whole-chip verify %.3f s):\n"
      "      %.3f s, ratio %.3f\n"
      "    programming pass with every location pulsed (the window's): %.3f s, ratio %.2f\n",
      results.counter("pulses"), budget, chipRead, budget + chipRead, programming,
      programming / (budget + chipRead), results.counter("blank_s"), results.counter("verify_s"),
      board, board / (budget + chipRead), results.counter("pulsed_all_s"),
      results.counter("pulsed_all_s") / (budget + chipRead));
  for (const int us : {100, 1000}) {
    const std::string name = "BM_Pulse_Length/" + std::to_string(us) + ":";
    const double median = results.counter(name + "median_us");
    std::printf(
        "  Pulse of %d us: median %.1f us (limit %.1f = 5 %% + 10 us), shortest %.1f us (never "
        "below %d), longest %.1f us\n",
        us, median, us * 1.05 + 10, results.counter(name + "shortest_us"), us,
        results.counter(name + "longest_us"));
  }
  std::printf("  Delay_Loop: %.3f ns per iteration (IoDelay 100 = %.2f us)\n", delay,
              delay * 100 / 1000);
  std::printf("  Calc_CheckSum of 1 MiB: %.1f us (limit 1000 us)\n", checksum);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  printSummary(reporter);
  return 0;
}
