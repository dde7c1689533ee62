// The read and write commands around the protocols: the port asked for first,
// then their boxes, the hourglass and the progress bar, in order.
#include <gtest/gtest.h>

#include "core_fakes.h"

namespace {

struct Rig {
  Recorder rec;
  CommandContext context{rec, rec, rec, rec, rec};
  PortSettings settings;
  MemoryImage image{16};
  Rig() { image.At(0) = 0xAB; }
  // The command's own steps, without the protocol's accesses, delays and values.
  Events Framing() const {
    Events framing;
    for (const std::string& e : rec.events)
      if (!(e == "R" || std::string("CDdpv").find(e[0]) != std::string::npos) || e == "v0")
        framing.push_back(e);
    return framing;
  }
  bool ImageUntouched() const { return image.Size() == 16 && image.At(0) == 0xAB; }
};

TEST(Read_Command, ConfirmsWithSizeAndTypeThenReadsAndShowsTheImage) {
  for (const auto& [type, title] :
       {std::pair{" 2732", "Will Read Eprom 2732"}, std::pair{"27128", "Will Read Eprom27128"}}) {
    Rig rig;
    rig.rec.reads = {0x01, 0x02, 0x03, 0x04};
    Read_Command(rig.context, rig.settings, type, 4, rig.image);
    EXPECT_EQ(rig.Framing(),
              (Events{"acquire888", std::string("box:") + title + "|4 Byte|I", "busy", "show",
                      "max4", "show-image", "hide", "v0", "align", "idle"}));
    ASSERT_EQ(rig.image.Size(), 4);
    EXPECT_EQ(rig.image.Element(4), 0x04);
  }
}

TEST(Write_Command, HourglassAndProgressComeBeforeTheConfirmation) {
  Rig rig;
  rig.settings.VerifyEmpty = false;
  rig.rec.reads.assign(2048, 0x00);  // every location verifies at once
  Write_Command(rig.context, rig.settings, 2048, MemoryImage(2048));
  EXPECT_EQ(rig.Framing(), (Events{"acquire888", "busy", "show", "max2048",
                                   "box:Will Write Eprom|2048 Byte|I", "hide", "v0", "idle"}));
}

TEST(Commands, WithoutPortAccessOneBoxAndNothingElse) {
  for (bool read : {true, false}) {
    Rig rig;
    rig.rec.available = false;
    rig.settings.LptBase = 632;
    if (read)
      Read_Command(rig.context, rig.settings, " 2732", 4096, rig.image);
    else
      Write_Command(rig.context, rig.settings, 4096, rig.image);
    EXPECT_EQ(rig.rec.events, (Events{"acquire632",
                                      "box:No Port Access|The programmer board at base address "
                                      "632 (278h) cannot be reached.\rJoin group lp.|C"}));
    EXPECT_TRUE(rig.ImageUntouched());
  }
}

TEST(Read_Command, PortFailingHalfWayKeepsTheOldImageAndRestoresTheWindow) {
  Rig rig;
  rig.rec.failingRead = 3;
  Read_Command(rig.context, rig.settings, " 2716", 2048, rig.image);
  const Events framing = rig.Framing();
  ASSERT_EQ(framing.size(), 9u);
  EXPECT_EQ(framing[5], "hide");
  EXPECT_EQ(framing[7].rfind("box:Port Error|Reading the Eprom stopped", 0), 0u) << framing[7];
  EXPECT_EQ(framing[8], "idle");
  EXPECT_TRUE(rig.ImageUntouched());
}

TEST(Write_Command, PortFailingHalfWayIsReportedAfterTheProgressBarIsHidden) {
  Rig rig;
  rig.settings.VerifyEmpty = false;
  rig.rec.failingRead = 2;  // the second read-back
  EXPECT_EQ(Write_Command(rig.context, rig.settings, 2048, rig.image), CommandOutcome::PortFailed);
  const Events framing = rig.Framing();
  ASSERT_EQ(framing.size(), 9u);
  EXPECT_EQ(framing[4], "box:Will Write Eprom|2048 Byte|I");
  EXPECT_EQ(framing[5], "hide");
  EXPECT_EQ(framing[7].rfind("box:Port Error|Programming the Eprom stopped", 0), 0u) << framing[7];
  EXPECT_EQ(framing[8], "idle");
}

struct AlwaysStop final : StopRequest {
  bool Requested() const override { return true; }
};

TEST(Commands, AStoppedRunEndsQuietlyAndLeavesTheImage) {
  const AlwaysStop stop;
  for (bool read : {true, false}) {
    Rig rig;
    rig.context.stop = &stop;
    const CommandOutcome outcome =
        read ? Read_Command(rig.context, rig.settings, " 2716", 2048, rig.image)
             : Write_Command(rig.context, rig.settings, 2048, rig.image);
    EXPECT_EQ(outcome, CommandOutcome::Stopped);
    const Events framing = rig.Framing();
    EXPECT_EQ(std::count_if(framing.begin(), framing.end(),
                            [](const std::string& e) { return e.starts_with("box:"); }),
              1);  // the confirmation only
    EXPECT_EQ(framing.back(), "idle");
    const auto lastAccess =
        std::find_if(rig.rec.events.rbegin(), rig.rec.events.rend(),
                     [](const std::string& e) { return e == "R" || e[0] == 'C' || e[0] == 'D'; });
    EXPECT_EQ(*lastAccess, "C00");
    EXPECT_TRUE(rig.ImageUntouched());
  }
}

}  // namespace
