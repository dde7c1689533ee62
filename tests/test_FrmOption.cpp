#include <gtest/gtest.h>

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
      {"99999999999", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Parse_Lpt_Base(text), expected) << text;
}

class FrmOptionTest : public ::testing::Test {
 protected:
  FrmOption& Open() {
    options_ = new FrmOption(settings, messages);
    options_->show();
    return *options_;
  }
  bool Still_Open() const { return options_ && options_->isVisible(); }
  ~FrmOptionTest() override { delete options_.data(); }

  PortSettings settings;
  RecordingMessages messages;

 private:
  QPointer<FrmOption> options_;
};

TEST_F(FrmOptionTest, OpensOnTheCurrentSettings) {
  FrmOption& options = Open();
  EXPECT_FALSE(options.isModal());
  EXPECT_TRUE(options.Option_Lpt1->isChecked());
  EXPECT_EQ(options.Slider_Delay->value(), 100);
  EXPECT_EQ(options.Slider_Pulse->value(), 1);
  EXPECT_TRUE(options.Check1->isChecked());
}

TEST_F(FrmOptionTest, TypedBaseIsTakenAndShownAsItsPortNextTime) {
  for (const auto& [typed, reopened] : {std::pair{"632", "Option_Lpt2"}, {"4000", "Option_Lpt4"}}) {
    FrmOption& options = Open();
    options.Option_Lpt4->setChecked(true);
    options.Text_Lpt4->setText(typed);
    options.Slider_Delay->setValue(2500);
    options.Slider_Pulse->setValue(0);
    options.Check1->setChecked(false);
    options.cmdOK->click();
    EXPECT_FALSE(Still_Open());
    EXPECT_EQ(settings.LptBase, std::stoi(typed));
    EXPECT_EQ(std::tuple(settings.IoDelay, settings.ProgPulse, settings.VerifyEmpty),
              std::tuple(2500, 0, false));
    FrmOption& again = Open();
    EXPECT_TRUE(again.findChild<QRadioButton*>(reopened)->isChecked());
    EXPECT_EQ(again.Text_Lpt4->text(), "");
    again.cmdCancel->click();
  }
}

TEST_F(FrmOptionTest, CancelAndBadBasesChangeNothing) {
  FrmOption& options = Open();
  options.Slider_Delay->setValue(5000);
  options.Slider_Pulse->setValue(5);
  options.cmdCancel->click();
  EXPECT_EQ(std::tuple(settings.IoDelay, settings.ProgPulse), std::tuple(100, 1));

  FrmOption& refused = Open();
  refused.Slider_Delay->setValue(0);
  refused.Option_Lpt4->setChecked(true);
  for (const char* typed : {"", "32766", "abc"}) {
    refused.Text_Lpt4->setText(typed);
    refused.cmdOK->click();
    EXPECT_TRUE(Still_Open()) << typed;
  }
  ASSERT_EQ(messages.boxes.size(), 3u);
  EXPECT_NE(messages.boxes[0].text.find("32765"), std::string::npos);
  // The refusal is the Options window's box: closing it leaves Options on top.
  EXPECT_EQ(messages.boxes[2].owner, &refused);
  EXPECT_EQ(std::tuple(settings.LptBase, settings.IoDelay), std::tuple(888, 100));

  refused.Option_Lpt3->setChecked(true);  // the bad text no longer counts
  refused.cmdOK->click();
  EXPECT_EQ(std::tuple(settings.LptBase, settings.IoDelay), std::tuple(956, 0));
}
