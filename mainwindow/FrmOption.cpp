#include "FrmOption.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "OuterFrame.h"

FrmOption::FrmOption(PortSettings& settings, WindowMessages& messages, QWidget* parent)
    : QDialog(parent), settings_(settings), messages_(messages) {
  setObjectName(QStringLiteral("FrmOption"));
  setWindowTitle(QStringLiteral("Options"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  build();
  showSettings();
  adjustSize();
  // Centred by its outer frame, once the window manager has framed it.
  (new OuterFrame(this))->centreOnScreen();
}

void FrmOption::build() {
  auto named = [](auto* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
  };
  auto label = [&](const char* name, const std::string& text) {
    return named(new QLabel(QString::fromStdString(text)), name);
  };
  // "LPT1  (378h)"
  auto lptCaption = [](int number, std::int16_t base) {
    return "LPT" + std::to_string(number) + "  (" + baseAddressHex(base) + ")";
  };

  Frame1 = named(new QGroupBox(QStringLiteral("LPT PORT")), "Frame1");
  // The option buttons carry no text: the labels beside them do.
  Option_Lpt1 = named(new QRadioButton, "Option_Lpt1");
  Option_Lpt2 = named(new QRadioButton, "Option_Lpt2");
  Option_Lpt3 = named(new QRadioButton, "Option_Lpt3");
  Option_Lpt4 = named(new QRadioButton, "Option_Lpt4");
  Label_Lpt1 = label("Label_Lpt1", lptCaption(1, kLpt1Base));
  Label_Lpt2 = label("Label_Lpt2", lptCaption(2, kLpt2Base));
  Label_Lpt3 = label("Label_Lpt3", lptCaption(3, kLpt3Base));
  Label1 = label("Label1", "Define Your (Decimal Value)");
  Text_Lpt4 = named(new QLineEdit, "Text_Lpt4");
  portGroup_ = new QButtonGroup(this);
  for (QRadioButton* option : {Option_Lpt1, Option_Lpt2, Option_Lpt3, Option_Lpt4}) {
    portGroup_->addButton(option);
  }
  auto* ports = new QGridLayout(Frame1);
  ports->addWidget(Option_Lpt1, 0, 0);
  ports->addWidget(Label_Lpt1, 0, 1);
  ports->addWidget(Option_Lpt2, 1, 0);
  ports->addWidget(Label_Lpt2, 1, 1);
  ports->addWidget(Option_Lpt3, 2, 0);
  ports->addWidget(Label_Lpt3, 2, 1);
  ports->addWidget(Label1, 3, 0, 1, 2);
  ports->addWidget(Option_Lpt4, 4, 0);
  ports->addWidget(Text_Lpt4, 4, 1);
  ports->setColumnStretch(1, 1);

  Frame2 = named(new QGroupBox(QStringLiteral("WRITE")), "Frame2");
  Check1 = named(new QCheckBox, "Check1");
  Label4 = label("Label4", "Verify Eprom is Empty (All  FF)  before Programming");
  Label4->setWordWrap(true);
  Label4->setMinimumWidth(
      Label4->fontMetrics().horizontalAdvance(QStringLiteral("Verify Eprom is Empty")));
  Label2 = label("Label2", "Programming Pulse");
  Slider_Pulse = named(new QSlider(Qt::Horizontal), "Slider_Pulse");
  Slider_Pulse->setRange(0, kHighestProgPulse);
  Slider_Pulse->setSingleStep(1);
  Slider_Pulse->setPageStep(1);
  Slider_Pulse->setTickInterval(1);
  Slider_Pulse->setTickPosition(QSlider::TicksBelow);
  auto* write = new QGridLayout(Frame2);
  write->addWidget(Check1, 0, 0, Qt::AlignTop);
  write->addWidget(Label4, 0, 1);
  write->addWidget(Label2, 1, 0, 1, 2);
  write->addWidget(Slider_Pulse, 2, 0, 1, 2);
  write->setColumnStretch(1, 1);

  Frame3 = named(new QGroupBox(QStringLiteral(" I/O Delay")), "Frame3");
  Slider_Delay = named(new QSlider(Qt::Horizontal), "Slider_Delay");
  Slider_Delay->setRange(0, kHighestIoDelay);
  Slider_Delay->setSingleStep(250);
  Slider_Delay->setPageStep(1000);
  Slider_Delay->setTickInterval(250);
  Slider_Delay->setTickPosition(QSlider::TicksBelow);
  (new QVBoxLayout(Frame3))->addWidget(Slider_Delay);

  cmdOK = named(new QPushButton(QStringLiteral("OK")), "cmdOK");
  cmdCancel = named(new QPushButton(QStringLiteral("Cancel")), "cmdCancel");
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &FrmOption::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &FrmOption::cmdCancel_Click);

  // The two frames are the same size, that of the larger.
  const QSize frameSize = Frame1->sizeHint().expandedTo(Frame2->sizeHint());
  Frame1->setMinimumSize(frameSize);
  Frame2->setMinimumSize(frameSize);
  auto* frames = new QHBoxLayout;
  frames->addWidget(Frame1, 1);
  frames->addWidget(Frame2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdOK);
  buttons->addStretch(1);
  buttons->addWidget(cmdCancel);
  auto* form = new QVBoxLayout(this);
  form->addLayout(frames);
  form->addWidget(Frame3);
  form->addLayout(buttons);
}

void FrmOption::showSettings() {
  switch (settings_.LptBase) {
    case kLpt1Base:
      Option_Lpt1->setChecked(true);
      break;
    case kLpt2Base:
      Option_Lpt2->setChecked(true);
      break;
    case kLpt3Base:
      Option_Lpt3->setChecked(true);
      break;
    default:
      Option_Lpt4->setChecked(true);
      break;  // Text_Lpt4 stays empty all the same
  }
  Slider_Delay->setValue(settings_.IoDelay);
  Slider_Pulse->setValue(settings_.ProgPulse);
  Check1->setChecked(settings_.VerifyEmpty);
}

void FrmOption::cmdOK_Click() {
  std::int16_t base = settings_.LptBase;
  if (Option_Lpt1->isChecked()) base = kLpt1Base;
  if (Option_Lpt2->isChecked()) base = kLpt2Base;
  if (Option_Lpt3->isChecked()) base = kLpt3Base;
  if (Option_Lpt4->isChecked()) {
    const std::optional<std::int16_t> typed = parseLptBase(Text_Lpt4->text().toStdString());
    if (!typed) {
      // Nothing is changed and the window stays open for a better value; the
      // box is this window's, so that this window is on top again after it.
      messages_.showFor(
          this, "Options",
          "The port address must be a decimal whole number from " + lptBaseRangeText(),
          MessageIcon::Exclamation);
      Text_Lpt4->setFocus();
      return;
    }
    base = *typed;
  }
  settings_.LptBase = base;
  settings_.IoDelay = Slider_Delay->value();
  settings_.ProgPulse = Slider_Pulse->value();
  settings_.VerifyEmpty = Check1->isChecked();
  close();
}

void FrmOption::cmdCancel_Click() {
  close();
}
