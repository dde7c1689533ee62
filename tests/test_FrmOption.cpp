// The Options window: the settings it shows and takes, and the base
// addresses it refuses.
#include <QPointer>

#include "FrmOption.h"
#include "WindowTestKit.h"

class FrmOptionTest : public ::testing::Test {
 protected:
  ~FrmOptionTest() override { delete options_.data(); }
  FrmOption& open() {
    options_ = new FrmOption(settings_, fakes_);
    options_->show();
    return *options_;
  }
  bool stillOpen() const { return options_ && options_->isVisible(); }
  auto settings() const {
    return std::tuple(settings_.LptBase, settings_.IoDelay, settings_.ProgPulse,
                      settings_.VerifyEmpty);
  }
  PortSettings settings_;
  WindowFakes fakes_;
  QPointer<FrmOption> options_;
};

TEST_F(FrmOptionTest, ShowsTheCurrentSettingsAndCancelChangesNothing) {
  settings_ = {632, 250, 3, false};
  FrmOption& options = open();
  EXPECT_FALSE(options.isModal());
  EXPECT_EQ(options.Frame2->size(), options.Frame1->size());  // "WRITE" as large as "LPT PORT"
  EXPECT_EQ(std::tuple(options.Option_Lpt2->isChecked(), options.Slider_Delay->value(),
                       options.Slider_Pulse->value(), options.Check1->isChecked()),
            std::tuple(true, 250, 3, false));
  options.Slider_Delay->setValue(5000);
  options.Option_Lpt3->setChecked(true);
  options.cmdCancel->click();
  EXPECT_EQ(std::tuple(stillOpen(), settings()), std::tuple(false, std::tuple(632, 250, 3, false)));
}

TEST_F(FrmOptionTest, OkTakesEverySettingAndATypedBaseShowsAsItsPortNextTime) {
  for (const auto& [typed, reopened] :
       {std::pair{" 632 ", "Option_Lpt2"}, {"32765", "Option_Lpt4"}}) {
    FrmOption& options = open();
    options.Option_Lpt4->setChecked(true);
    options.Text_Lpt4->setText(typed);
    options.Slider_Delay->setValue(2500);
    options.Slider_Pulse->setValue(0);
    options.Check1->setChecked(false);
    options.cmdOK->click();
    EXPECT_FALSE(stillOpen());
    EXPECT_EQ(settings(), std::tuple(std::stoi(typed), 2500, 0, false));
    FrmOption& again = open();
    EXPECT_TRUE(again.findChild<QRadioButton*>(reopened)->isChecked());
    EXPECT_EQ(again.Text_Lpt4->text(), "");
    again.cmdCancel->click();
  }
}

TEST_F(FrmOptionTest, ABaseThatIsNotADecimalPortNumberIsRefusedInABoxOfItsOwn) {
  FrmOption& options = open();
  options.Slider_Delay->setValue(0);
  options.Option_Lpt4->setChecked(true);
  const char* const refused[] = {"",   "  ",   "0",     "32766", "-5",
                                 "+5", "378h", "0x378", "12.5",  "99999999999"};
  for (const char* typed : refused) {
    options.Text_Lpt4->setText(typed);
    options.cmdOK->click();
    EXPECT_TRUE(stillOpen()) << typed;
  }
  // The box is the Options window's: closing it leaves Options on top.
  const Box refusal{"Options", "The port address must be a decimal whole number from 1 to 32765",
                    MessageIcon::Exclamation, &options};
  EXPECT_EQ(fakes_.boxes, std::vector<Box>(std::size(refused), refusal));
  EXPECT_EQ(settings(), std::tuple(888, 100, 1, true));
  options.Option_Lpt3->setChecked(true);  // the bad text no longer counts
  options.cmdOK->click();
  EXPECT_EQ(settings(), std::tuple(956, 0, 1, true));
}
