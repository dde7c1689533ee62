// The Options window: the settings it shows and takes, and the base
// addresses it refuses.
#include <QPointer>

#include "FrmOption.h"
#include "WindowTestKit.h"

TEST(ParseLptBase, AcceptsOnlyDecimalPortNumbersTheRegistersFitIn) {
  const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
      {"632", 632},
      {"1", 1},
      {"32765", 32765},
      {" 4000 ", 4000},
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"0", std::nullopt},
      {"32766", std::nullopt},
      {"-5", std::nullopt},
      {"378h", std::nullopt},
      {"0x378", std::nullopt},
      {"12.5", std::nullopt},
      {"+5", std::nullopt},
      {"99999999999", std::nullopt}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(parseLptBase(text), expected) << text;
}

class FrmOptionTest : public ::testing::Test {
 protected:
  ~FrmOptionTest() override { delete options_.data(); }
  FrmOption& open() {
    options_ = new FrmOption(settings_, fakes_);
    options_->show();
    return *options_;
  }
  bool stillOpen() const { return options_ && options_->isVisible(); }
  PortSettings settings_;
  WindowFakes fakes_;
  QPointer<FrmOption> options_;
};

TEST_F(FrmOptionTest, OpensOnTheCurrentSettingsWithTheAddressesInItsCaptions) {
  settings_ = {632, 250, 3, false};
  FrmOption& options = open();
  EXPECT_FALSE(options.isModal());
  EXPECT_TRUE(options.Option_Lpt2->isChecked());
  EXPECT_EQ(std::tuple(options.Slider_Delay->value(), options.Slider_Pulse->value(),
                       options.Check1->isChecked()),
            std::tuple(250, 3, false));
  EXPECT_EQ(std::tuple(options.Label_Lpt1->text(), options.Label_Lpt2->text(),
                       options.Label_Lpt3->text()),
            std::tuple("LPT1  (378h)", "LPT2  (278h)", "LPT3  (3BCh)"));
}

TEST_F(FrmOptionTest, OkTakesEverySettingAndATypedBaseShowsAsItsPortNextTime) {
  for (const auto& [typed, reopened] : {std::pair{"632", "Option_Lpt2"}, {"4000", "Option_Lpt4"}}) {
    FrmOption& options = open();
    options.Option_Lpt4->setChecked(true);
    options.Text_Lpt4->setText(typed);
    options.Slider_Delay->setValue(2500);
    options.Slider_Pulse->setValue(0);
    options.Check1->setChecked(false);
    options.cmdOK->click();
    EXPECT_FALSE(stillOpen());
    EXPECT_EQ(std::tuple(settings_.LptBase, settings_.IoDelay, settings_.ProgPulse,
                         settings_.VerifyEmpty),
              std::tuple(std::stoi(typed), 2500, 0, false));
    FrmOption& again = open();
    EXPECT_TRUE(again.findChild<QRadioButton*>(reopened)->isChecked());
    EXPECT_EQ(again.Text_Lpt4->text(), "");
    again.cmdCancel->click();
  }
}

TEST_F(FrmOptionTest, CancelChangesNothing) {
  FrmOption& options = open();
  options.Slider_Delay->setValue(5000);
  options.Option_Lpt3->setChecked(true);
  options.cmdCancel->click();
  EXPECT_FALSE(stillOpen());
  EXPECT_EQ(std::tuple(settings_.LptBase, settings_.IoDelay), std::tuple(888, 100));
}

TEST_F(FrmOptionTest, ABadBaseIsRefusedInABoxOfItsOwnAndTheWindowStaysOpenUnchanged) {
  FrmOption& options = open();
  options.Slider_Delay->setValue(0);
  options.Option_Lpt4->setChecked(true);
  for (const char* typed : {"", "32766", "abc"}) {
    options.Text_Lpt4->setText(typed);
    options.cmdOK->click();
    EXPECT_TRUE(stillOpen()) << typed;
  }
  // The box is the Options window's: closing it leaves Options on top.
  const Box refusal{"Options", "The port address must be a decimal whole number from 1 to 32765",
                    MessageIcon::Exclamation, &options};
  EXPECT_EQ(fakes_.boxes, std::vector<Box>(3, refusal));
  EXPECT_EQ(std::tuple(settings_.LptBase, settings_.IoDelay), std::tuple(888, 100));
  options.Option_Lpt3->setChecked(true);  // the bad text no longer counts
  options.cmdOK->click();
  EXPECT_EQ(std::tuple(settings_.LptBase, settings_.IoDelay), std::tuple(956, 0));
}
