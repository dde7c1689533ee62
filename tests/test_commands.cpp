// The read and write commands around the protocols: the port asked for
// first, then their boxes, the hourglass and the progress bar, in order.
#include <gtest/gtest.h>

#include <algorithm>

#include "core_fakes.h"

namespace {

struct Rig {
  Recorder rec;
  CommandContext context{rec, rec, rec, rec, rec};
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
  CommandOutcome run(char command) {
    return command == 'r'   ? readCommand(context, settings, "27128", 16, image)
           : command == 'b' ? blankCommand(context, settings, 16)
                            : writeCommand(context, settings, 16, image);
  }
};

TEST(Commands, WithoutPortAccessOneBoxSaysWhyAndNothingElseHappens) {
  for (const char command : {'r', 'b', 'w'}) {
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
       {std::pair{'r', "Reading the Eprom"}, {'w', "Programming the Eprom"}}) {
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
  for (const char command : {'r', 'b', 'w'}) {
    Rig rig;
    rig.context.stop = &stop;
    EXPECT_EQ(rig.run(command), CommandOutcome::Stopped);
    EXPECT_EQ(std::ranges::count_if(rig.rec.events, [](auto& e) { return e.starts_with("box:"); }),
              command == 'b' ? 0 : 1);  // the confirmation only
    EXPECT_EQ(rig.framing().back(), "idle");
    EXPECT_TRUE(rig.imageKept());
  }
}

}  // namespace
