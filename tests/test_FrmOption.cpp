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
  for (const auto& [text, expected] : cases) EXPECT_EQ(parseLptBase(text), expected) << text;
}

class FrmOptionTest : public ::testing::Test {
 protected:
  FrmOption& open() {
    options_ = new FrmOption(settings_, messages_);
    options_->show();
    return *options_;
  }
  bool stillOpen() const { return options_ && options_->isVisible(); }
  ~FrmOptionTest() override { delete options_.data(); }

  PortSettings settings_;
  RecordingMessages messages_;

 private:
  QPointer<FrmOption> options_;
};

TEST_F(FrmOptionTest, OpensOnTheCurrentSettings) {
  FrmOption& options = open();
  EXPECT_FALSE(options.isModal());
  EXPECT_TRUE(options.Option_Lpt1->isChecked());
  EXPECT_EQ(options.Slider_Delay->value(), 100);
  EXPECT_EQ(options.Slider_Pulse->value(), 1);
  EXPECT_TRUE(options.Check1->isChecked());
}

// The captions and the refusal are put together from the port constants.
TEST_F(FrmOptionTest, CaptionsAndRefusalNameTheAddressesExactly) {
  FrmOption& options = open();
  EXPECT_EQ(options.Label_Lpt1->text(), "LPT1  (378h)");
  EXPECT_EQ(options.Label_Lpt2->text(), "LPT2  (278h)");
  EXPECT_EQ(options.Label_Lpt3->text(), "LPT3  (3BCh)");
  options.Option_Lpt4->setChecked(true);
  options.cmdOK->click();
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].text,
            "The port address must be a decimal whole number from 1 to 32765");
}

TEST_F(FrmOptionTest, TypedBaseIsTakenAndShownAsItsPortNextTime) {
  for (const auto& [typed, reopened] : {std::pair{"632", "Option_Lpt2"}, {"4000", "Option_Lpt4"}}) {
    FrmOption& options = open();
    options.Option_Lpt4->setChecked(true);
    options.Text_Lpt4->setText(typed);
    options.Slider_Delay->setValue(2500);
    options.Slider_Pulse->setValue(0);
    options.Check1->setChecked(false);
    options.cmdOK->click();
    EXPECT_FALSE(stillOpen());
    EXPECT_EQ(settings_.LptBase, std::stoi(typed));
    EXPECT_EQ(std::tuple(settings_.IoDelay, settings_.ProgPulse, settings_.VerifyEmpty),
              std::tuple(2500, 0, false));
    FrmOption& again = open();
    EXPECT_TRUE(again.findChild<QRadioButton*>(reopened)->isChecked());
    EXPECT_EQ(again.Text_Lpt4->text(), "");
    again.cmdCancel->click();
  }
}

TEST_F(FrmOptionTest, CancelAndBadBasesChangeNothing) {
  FrmOption& options = open();
  options.Slider_Delay->setValue(5000);
  options.Slider_Pulse->setValue(5);
  options.cmdCancel->click();
  EXPECT_EQ(std::tuple(settings_.IoDelay, settings_.ProgPulse), std::tuple(100, 1));

  FrmOption& refused = open();
  refused.Slider_Delay->setValue(0);
  refused.Option_Lpt4->setChecked(true);
  for (const char* typed : {"", "32766", "abc"}) {
    refused.Text_Lpt4->setText(typed);
    refused.cmdOK->click();
    EXPECT_TRUE(stillOpen()) << typed;
  }
  ASSERT_EQ(messages_.boxes.size(), 3u);
  EXPECT_NE(messages_.boxes[0].text.find("32765"), std::string::npos);
  // The refusal is the Options window's box: closing it leaves Options on top.
  EXPECT_EQ(messages_.boxes[2].owner, &refused);
  EXPECT_EQ(std::tuple(settings_.LptBase, settings_.IoDelay), std::tuple(888, 100));

  refused.Option_Lpt3->setChecked(true);  // the bad text no longer counts
  refused.cmdOK->click();
  EXPECT_EQ(std::tuple(settings_.LptBase, settings_.IoDelay), std::tuple(956, 0));
}
