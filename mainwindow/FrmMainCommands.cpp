// The Action, Configuration, Utility and Help commands that need no file dialog.
#include <QApplication>

#include "CheckSum.h"
#include "FrmMain.h"
#include "FrmOption.h"
#include "MainTexts.h"

CommandContext FrmMain::commandContext() {
  return {services_.ports, services_.timing,  services_.messages, progress_, this,
          services_.stop,  services_.chipFile};
}

void FrmMain::MnuRead_Click() {
  CommandContext context = commandContext();
  ReadCommandResult read = readCommand(context, g_.port, g_.EpromType, g_.EpromSize);
  // A read that does not end well leaves the image and the view as they were.
  if (read.outcome != CommandOutcome::Done) return;
  g_.EpromImage = std::move(read.image);
  // The bar goes between the rows and the selections; the hourglass last.
  showImageRows();
  read.indicators.hideProgress();
  alignListsAndRepaint();
}

void FrmMain::MnuWrite_Click() {
  CommandContext context = commandContext();
  (void)writeCommand(context, g_.port, g_.EpromType, g_.EpromSize, g_.EpromImage);
}

void FrmMain::showImageRows() {
  LblChkSum->setText(
      QString::fromStdString(checkSumText(Calc_CheckSum(g_.EpromImage, g_.EpromSize))));
  hexView_->hideLists();
  hexView_->Fill_Data_Rows(g_.EpromImage, g_.EpromSize);
  hexView_->showLists();
}

void FrmMain::alignListsAndRepaint() {
  hexView_->alignSelections();
  repaint();
}

void FrmMain::MnuFill00_Click() {
  g_.EpromImage.Fill_All_00();
  Reset_Hex_View(g_.EpromSize);
}

void FrmMain::MnuExit_Click() {
  close();
}

void FrmMain::MnuOption_Click() {
  // One Options window at a time: while it is open, opening it brings it forward.
  if (options_ && options_->isVisible()) {
    options_->raise();
    options_->activateWindow();
    return;
  }
  // Not modal, and no child of this window: it stays usable when the main
  // window is closed, and the program ends when it is closed too.
  options_ = new FrmOption(g_.port, services_.messages);
  options_->show();
}

void FrmMain::MnuDiagnostic_Click() {}

bool FrmMain::startProgram(const char* program, const std::vector<std::string>& arguments) {
  const Expected<> started = services_.launcher.start(program, arguments);
  if (!started) showNotStarted(program, started.error());
  return started.hasValue();
}

void FrmMain::showNotStarted(const char* program, const std::string& why) {
  services_.messages.show(kNotStartedTitle, std::string(kNotStartedLead) + program + "\r" + why,
                          MessageIcon::Critical);
}

void FrmMain::MnuHexEditor_Click() {
  if (g_.CurrentFileTitle.empty()) {
    services_.messages.show(kWarningTitle, kSaveBeforeEditing, MessageIcon::Critical);
    startProgram(kHexEditorProgram, {});
    return;
  }
  startProgram(kHexEditorProgram, {g_.CurrentFileTitle});
}

void FrmMain::MnuCRC32_Click() {
  startProgram(kCrc32Program, {});
}

void FrmMain::Mnuabout_Click() {
  services_.messages.show(kAboutTitle, kAboutText, MessageIcon::Information);
}

void FrmMain::MnuWhatsVESK_Click() {
  services_.messages.show(kWhatsVeskTitle, kWhatsVeskText, MessageIcon::Exclamation);
}
