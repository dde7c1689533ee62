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
  FrmOption(PortSettings& settings, WindowMessages& messages, QWidget* parent = nullptr);

  void cmdOK_Click();
  void cmdCancel_Click();

  QGroupBox* Frame1;          // "LPT PORT": which port the board is on
  QRadioButton* Option_Lpt1;  // LPT1, 378h
  QRadioButton* Option_Lpt2;  // LPT2, 278h
  QRadioButton* Option_Lpt3;  // LPT3, 3BCh
  QRadioButton* Option_Lpt4;  // the address typed in Text_Lpt4
  QLabel* Label_Lpt1;         // Option_Lpt1's caption
  QLabel* Label_Lpt2;         // Option_Lpt2's caption
  QLabel* Label_Lpt3;         // Option_Lpt3's caption
  QLabel* Label1;             // the caption over Text_Lpt4
  QLineEdit* Text_Lpt4;       // a base address in decimal
  QGroupBox* Frame2;          // "WRITE": the programming settings
  QCheckBox* Check1;          // VerifyEmpty: blank check before programming
  QLabel* Label4;             // Check1's caption
  QLabel* Label2;             // the caption over Slider_Pulse
  QSlider* Slider_Pulse;      // ProgPulse, in milliseconds
  QGroupBox* Frame3;          // "I/O Delay", around Slider_Delay
  QSlider* Slider_Delay;      // IoDelay, in Delay_Loop iterations
  QPushButton* cmdOK;         // takes the settings and closes the window
  QPushButton* cmdCancel;     // closes the window, nothing changed

 private:
  void build();
  // The controls take the current settings: the port's option button, the
  // sliders and the blank-check box.
  void showSettings();

  PortSettings& settings_;
  WindowMessages& messages_;
  QButtonGroup* portGroup_;
};
