#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <cstdint>
#include <optional>
#include <string_view>

#include "PortSettings.h"
#include "WindowMessages.h"

// The Options window: the port, the I/O delay, the programming pulse and the
// blank check. Not modal, made anew on each opening and deleted when it
// closes; the settings change only when OK is pressed with valid input.
class FrmOption final : public QDialog {
  Q_OBJECT
 public:
  static constexpr std::int16_t kLpt1 = kLpt1Base;
  static constexpr std::int16_t kLpt2 = kLpt2Base;
  static constexpr std::int16_t kLpt3 = kLpt3Base;

  FrmOption(PortSettings& settings, WindowMessages& messages, QWidget* parent = nullptr);

  void cmdOK_Click();
  void cmdCancel_Click();

  QGroupBox* Frame1;
  QRadioButton* Option_Lpt1;
  QRadioButton* Option_Lpt2;
  QRadioButton* Option_Lpt3;
  QRadioButton* Option_Lpt4;
  QLabel* Label_Lpt1;
  QLabel* Label_Lpt2;
  QLabel* Label_Lpt3;
  QLabel* Label1;
  QLineEdit* Text_Lpt4;
  QGroupBox* Frame2;
  QCheckBox* Check1;
  QLabel* Label4;
  QLabel* Label2;
  QSlider* Slider_Pulse;
  QGroupBox* Frame3;
  QSlider* Slider_Delay;
  QPushButton* cmdOK;
  QPushButton* cmdCancel;

 private:
  void build();
  void formLoad();

  PortSettings& settings_;
  WindowMessages& messages_;
  QButtonGroup* portGroup_;
};
