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
  Rig() { image.at(0) = 0xAB; }
  // The command's own steps, without the protocol's accesses, delays and values.
  Events framing() const {
    Events framing;
    for (const std::string& e : rec.events)
      if (!(e == "R" || std::string("CDdpv").find(e[0]) != std::string::npos) || e == "v0")
        framing.push_back(e);
    return framing;
  }
  bool imageUntouched() const { return image.size() == 16 && image.at(0) == 0xAB; }
};

TEST(ReadCommand, ConfirmsWithSizeAndTypeThenReadsAndShowsTheImage) {
  for (const auto& [type, title] :
       {std::pair{" 2732", "Will Read Eprom 2732"}, std::pair{"27128", "Will Read Eprom27128"}}) {
    Rig rig;
    rig.rec.reads = {0x01, 0x02, 0x03, 0x04};
    readCommand(rig.context, rig.settings, type, 4, rig.image);
    EXPECT_EQ(rig.framing(),
              (Events{"acquire888", std::string("box:") + title + "|4 Byte|I", "busy", "show",
                      "max4", "show-image", "hide", "v0", "align", "idle"}));
    ASSERT_EQ(rig.image.size(), 4);
    EXPECT_EQ(rig.image.element(4), 0x04);
  }
}

TEST(WriteCommand, HourglassAndProgressComeBeforeTheConfirmation) {
  Rig rig;
  rig.settings.VerifyEmpty = false;
  rig.rec.reads.assign(2048, 0x00);  // every location verifies at once
  writeCommand(rig.context, rig.settings, 2048, MemoryImage(2048));
  EXPECT_EQ(rig.framing(), (Events{"acquire888", "busy", "show", "max2048",
                                   "box:Will Write Eprom|2048 Byte|I", "hide", "v0", "idle"}));
}

TEST(Commands, WithoutPortAccessOneBoxAndNothingElse) {
  for (bool read : {true, false}) {
    Rig rig;
    rig.rec.available = false;
    rig.settings.LptBase = 632;
    if (read)
      readCommand(rig.context, rig.settings, " 2732", 4096, rig.image);
    else
      writeCommand(rig.context, rig.settings, 4096, rig.image);
    EXPECT_EQ(rig.rec.events, (Events{"acquire632",
                                      "box:No Port Access|The programmer board at base address "
                                      "632 (278h) cannot be reached.\rJoin group lp.|C"}));
    EXPECT_TRUE(rig.imageUntouched());
  }
}

TEST(ReadCommand, PortFailingHalfWayKeepsTheOldImageAndRestoresTheWindow) {
  Rig rig;
  rig.rec.failingRead = 3;
  readCommand(rig.context, rig.settings, " 2716", 2048, rig.image);
  const Events framing = rig.framing();
  ASSERT_EQ(framing.size(), 9u);
  EXPECT_EQ(framing[5], "hide");
  EXPECT_EQ(framing[7].rfind("box:Port Error|Reading the Eprom stopped", 0), 0u) << framing[7];
  EXPECT_EQ(framing[8], "idle");
  EXPECT_TRUE(rig.imageUntouched());
}

TEST(WriteCommand, PortFailingHalfWayIsReportedAfterTheProgressBarIsHidden) {
  Rig rig;
  rig.settings.VerifyEmpty = false;
  rig.rec.failingRead = 2;  // the second read-back
  EXPECT_EQ(writeCommand(rig.context, rig.settings, 2048, rig.image), CommandOutcome::PortFailed);
  const Events framing = rig.framing();
  ASSERT_EQ(framing.size(), 9u);
  EXPECT_EQ(framing[4], "box:Will Write Eprom|2048 Byte|I");
  EXPECT_EQ(framing[5], "hide");
  EXPECT_EQ(framing[7].rfind("box:Port Error|Programming the Eprom stopped", 0), 0u) << framing[7];
  EXPECT_EQ(framing[8], "idle");
}

struct AlwaysStop final : StopRequest {
  bool requested() const override { return true; }
};

TEST(Commands, AStoppedRunEndsQuietlyAndLeavesTheImage) {
  const AlwaysStop stop;
  for (bool read : {true, false}) {
    Rig rig;
    rig.context.stop = &stop;
    const CommandOutcome outcome =
        read ? readCommand(rig.context, rig.settings, " 2716", 2048, rig.image)
             : writeCommand(rig.context, rig.settings, 2048, rig.image);
    EXPECT_EQ(outcome, CommandOutcome::Stopped);
    const Events framing = rig.framing();
    EXPECT_EQ(std::count_if(framing.begin(), framing.end(),
                            [](const std::string& e) { return e.starts_with("box:"); }),
              1);  // the confirmation only
    EXPECT_EQ(framing.back(), "idle");
    const auto lastAccess =
        std::find_if(rig.rec.events.rbegin(), rig.rec.events.rend(),
                     [](const std::string& e) { return e == "R" || e[0] == 'C' || e[0] == 'D'; });
    EXPECT_EQ(*lastAccess, "C00");
    EXPECT_TRUE(rig.imageUntouched());
  }
}

TEST(BlankCommand, ChecksWithoutConfirmationAndReportsOnlyAChipThatIsNotBlank) {
  for (const bool blank : {true, false}) {
    Rig rig;
    rig.rec.reads = {0xFF, blank ? std::uint8_t{0xFF} : std::uint8_t{0x7F}};
    EXPECT_EQ(blankCommand(rig.context, rig.settings, 2),
              blank ? CommandOutcome::Done : CommandOutcome::NotBlank);
    Events expected{"acquire888", "busy", "show", "max2", "hide", "v0"};
    if (!blank) expected.push_back("box:Warning !|The Eprom is not Empty|I");
    expected.push_back("idle");
    EXPECT_EQ(rig.framing(), expected);
  }
  Rig rig;
  rig.rec.available = false;
  EXPECT_EQ(blankCommand(rig.context, rig.settings, 2), CommandOutcome::NoPort);
  EXPECT_EQ(rig.rec.events.size(), 2u);  // the port asked for, the "No Port Access" box
}

TEST(WriteCommand, AChipFileThatCannotBeWrittenBackTurnsAGoodRunIntoAFailure) {
  TempFolder temp;
  const std::string path = temp.filePath("chip.bin");
  std::vector<std::uint8_t> chip(4096, 0xFF);
  const Expected<std::unique_ptr<ChipFile>> chipFile = ChipFile::open(path, chip);
  ASSERT_TRUE(chipFile) << chipFile.error();
  for (const bool good : {true, false}) {
    Rig rig;
    rig.context.chipFile = chipFile->get();
    rig.settings.VerifyEmpty = false;
    // A good run verifies each location at once; a bad one never does.
    rig.rec.reads.assign(good ? 16 : 10, good ? 0x00 : 0x55);
    const FileSizeLimit limit(1024);  // the chip's 4 KiB do not fit
    EXPECT_EQ(writeCommand(rig.context, rig.settings, 16, MemoryImage(16)),
              good ? CommandOutcome::ChipFileFailed : CommandOutcome::BadEprom);
    const Events framing = rig.framing();
    ASSERT_GE(framing.size(), 2u);
    EXPECT_EQ(framing[framing.size() - 2].rfind("box:Simulated Chip|The simulated chip cannot", 0),
              0u);
  }
}

}  // namespace
