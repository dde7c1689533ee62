// The read, blank and write commands around the protocols: the port asked
// for first, then their messages, the hourglass and the progress bar, in order.
#include <gtest/gtest.h>

#include <algorithm>

#include "core_fakes.h"

namespace {

enum class Command { Read, Blank, Write };
constexpr Command kCommands[] = {Command::Read, Command::Blank, Command::Write};

struct Rig {
  Recorder rec;
  CommandContext context{rec, rec, rec, rec, &rec};
  PortSettings settings{888, 0, 0, false};
  MemoryImage image{16};
  Rig() { image.at(0) = 0xAB; }
  // The command's own steps, without the protocol's accesses, waits and values.
  Events framing() const {
    Events framing;
    for (const std::string& e : rec.events)
      if (e == "v0" || (e != "R" && std::string("CDdpv").find(e[0]) == std::string::npos))
        framing.push_back(e);
    return framing;
  }
  bool imageKept() const { return image.size() == 16 && image.at(0) == 0xAB; }
  // The command's outcome; a read that does not end well hands back no image.
  CommandOutcome run(Command command) {
    switch (command) {
      case Command::Read: {
        const ReadCommandResult read = readCommand(context, settings, "27128", 16);
        EXPECT_TRUE(read.outcome == CommandOutcome::Done || read.image.size() == 0);
        return read.outcome;
      }
      case Command::Blank:
        return blankCommand(context, settings, 16).outcome;
      case Command::Write:
        return writeCommand(context, settings, "27128", 16, image).outcome;
    }
    return CommandOutcome::Done;
  }
};

TEST(Commands, WithoutPortAccessOneBoxSaysWhyAndNothingElseHappens) {
  for (const Command command : kCommands) {
    Rig rig;
    rig.rec.available = false;
    rig.settings.LptBase = 632;
    EXPECT_EQ(rig.run(command), CommandOutcome::NoPort);
    EXPECT_EQ(rig.rec.events, (Events{"acquire632",
                                      "box:No Port Access|The programmer board at base address "
                                      "632 (278h) cannot be reached.\rJoin group lp.|C"}));
    EXPECT_TRUE(rig.imageKept());
  }
}

TEST(Commands, APortFailingHalfWayIsReportedOnceTheProgressBarIsHiddenAndTheImageKept) {
  for (const auto& [command, what] :
       {std::pair{Command::Read, "Reading the Eprom"}, {Command::Write, "Programming the Eprom"}}) {
    Rig rig;
    rig.rec.failingRead = 2;
    EXPECT_EQ(rig.run(command), CommandOutcome::PortFailed);
    const Events framing = rig.framing();
    EXPECT_EQ(Events(framing.end() - 4, framing.end()),
              (Events{"hide", "v0",
                      std::string("box:Port Error|") + what +
                          " stopped: the port at base address 888 (378h) failed.\rReading the data "
                          "register failed|C",
                      "idle"}));
    EXPECT_TRUE(rig.imageKept());
  }
}

struct AlwaysStop final : StopRequest {
  bool requested() const override { return true; }
};

TEST(Commands, AStoppedRunEndsQuietlyNotBusyWithTheImageKept) {
  const AlwaysStop stop;
  for (const Command command : kCommands) {
    Rig rig;
    rig.context.stop = &stop;
    EXPECT_EQ(rig.run(command), CommandOutcome::Stopped);
    EXPECT_EQ(std::ranges::count_if(rig.rec.events, [](auto& e) { return e.starts_with("box:"); }),
              command == Command::Blank ? 0 : 1);  // the announcement only
    EXPECT_EQ(rig.framing().back(), "idle");
    EXPECT_TRUE(rig.imageKept());
  }
}

// The window shows the image before the bar goes, and the hourglass goes last.
TEST(Commands, AReadThatEndsWellHandsOnTheImageWithTheBarAndTheHourglassStillUp) {
  Rig rig;
  rig.rec.reads = {0x12, 0x34};
  ReadCommandResult read = readCommand(rig.context, rig.settings, "27128", 16);
  ASSERT_EQ(read.outcome, CommandOutcome::Done);
  EXPECT_EQ(Bytes(read.image.data(), read.image.data() + 3), (Bytes{0x12, 0x34, 0xFF}));
  EXPECT_EQ(read.image.size(), 16);
  EXPECT_EQ(rig.framing(),
            (Events{"acquire888", "box:Will Read Eprom27128|16 Byte|I", "busy", "show", "max16"}));
  read.indicators.hideProgress();
  read.indicators.end();
  EXPECT_EQ(Events(rig.rec.events.end() - 3, rig.rec.events.end()), (Events{"hide", "v0", "idle"}));
  EXPECT_EQ(rig.rec.kinds, std::vector{MessageKind::Announcement});
}

// The chip's refusals, each shown once: a refused write and a bad location
// while the bar is still up (a bad location before the board goes off), a
// refused blank check once the bar is gone.
TEST(Commands, TheChipsRefusalsAreShownOnceWhereTheyHappen) {
  const std::string notEmpty = "box:Warning !|The Eprom is not Empty|I";
  const std::string bad = "box:Warning !|Bad Eprom|C";
  const struct {
    Command command;
    bool blankCheck;
    std::deque<std::uint8_t> reads;
    CommandOutcome outcome;
    Events ending;
    MessageKind kind;
  } cases[] = {
      {Command::Blank,
       false,
       {0xFF, 0x00},
       CommandOutcome::NotBlank,
       {"R", "hide", "v0", notEmpty, "idle"},
       MessageKind::Warning},
      {Command::Write,
       true,
       {0x00},
       CommandOutcome::NotBlank,
       {"R", notEmpty, "hide", "v0", "idle"},
       MessageKind::Warning},
      // 0xAB at location 0 never takes: ten pulses, the step past it, the box, 00h.
      {Command::Write,
       false,
       {},
       CommandOutcome::BadEprom,
       {"C0B", "C0A", bad, "C00", "hide", "v0", "idle"},
       MessageKind::Error},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.settings.VerifyEmpty = c.blankCheck;
    rig.rec.reads = c.reads;
    EXPECT_EQ(rig.run(c.command), c.outcome);
    Events ending;
    std::ranges::copy_if(rig.rec.events, std::back_inserter(ending),
                         [](const std::string& e) { return e[0] != 'd'; });
    ending.erase(ending.begin(), ending.end() - static_cast<long>(c.ending.size()));
    EXPECT_EQ(ending, c.ending);
    const std::string& box = c.outcome == CommandOutcome::BadEprom ? bad : notEmpty;
    EXPECT_EQ(std::ranges::count(rig.rec.events, box), 1);
    EXPECT_EQ(rig.rec.kinds.back(), c.kind);
  }
}

// A read of several passes under one announcement, the bar starting again at
// each pass; every pass handed on, or none when the port fails in the last.
TEST(Commands, AReadInPassesIsAnnouncedOnceAndHandsOnEveryPassOrNone) {
  Rig rig;
  rig.rec.reads = {0x12};
  const ReadPassesCommandResult read = readPassesCommand(rig.context, rig.settings, "27128", 16, 3);
  ASSERT_EQ(std::tuple(read.outcome, read.passes.size()), std::tuple(CommandOutcome::Done, 3u));
  EXPECT_EQ(std::tuple(contents(read.passes[0])[0], contents(read.passes[2])),
            std::tuple(0x12, Bytes(16, 0xFF)));
  EXPECT_EQ(std::tuple(std::ranges::count(rig.rec.events, "v1"), rig.rec.kinds),
            std::tuple(3, std::vector{MessageKind::Announcement}));

  Rig failing;
  failing.rec.failingRead = 2 * 16 + 5;
  const ReadPassesCommandResult failed =
      readPassesCommand(failing.context, failing.settings, "27128", 16, 3);
  EXPECT_EQ(std::tuple(failed.outcome, failed.passes.size(), failing.rec.kinds),
            std::tuple(CommandOutcome::PortFailed, 0u,
                       std::vector{MessageKind::Announcement, MessageKind::Error}));
  EXPECT_EQ(failing.framing().back(), "idle");
}

// A read made after a run to see what it left: the same pass, unannounced,
// nothing left up.
TEST(Commands, AReadAfterARunIsNotAnnouncedAndLeavesNothingUp) {
  Rig rig;
  rig.rec.reads = {0x12};
  const ReadCommandResult read = rereadCommand(rig.context, rig.settings, 16);
  ASSERT_EQ(read.outcome, CommandOutcome::Done);
  EXPECT_EQ(contents(read.image), ([] {
              Bytes chip(16, 0xFF);
              chip[0] = 0x12;
              return chip;
            }()));
  EXPECT_EQ(rig.framing(), (Events{"acquire888", "busy", "show", "max16", "hide", "v0", "idle"}));
  EXPECT_TRUE(rig.rec.kinds.empty());
}

}  // namespace
