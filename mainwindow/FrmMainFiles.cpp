// The File menu's Open and Save As, and the Utility menu's File Conversion:
// the commands that run a file dialog.
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "AsciiCase.h"
#include "ConversionCheck.h"
#include "FrmMain.h"
#include "ImageFiles.h"
#include "MainTexts.h"

namespace {

constexpr int kIdleCheckMs = 200;

FileDialogRequest openRequest() {
  return {FileDialogRequest::Kind::Open,
          "Open",
          kDefaultFileName,
          {{"Binary File     (*.bin)", "*.Bin"},
           {"Intel Hex File (*.hex)", "*.hex"},
           {"All File         (*.*)", "*.*"}}};
}

FileDialogRequest saveRequest() {
  return {FileDialogRequest::Kind::Save,
          "Save As",
          kDefaultFileName,
          {{"Binary File (*.bin)", "*.bin"}}};
}

FileDialogRequest conversionRequest() {
  return {FileDialogRequest::Kind::Open,
          "File Conversion ",
          kDefaultFileName,
          {{"Binary File (*.bin)  >>>> Intel IHX8 (*.hex)", "*.Bin"},
           {"Intel IHX8 File (*.hex)  >>>> Binary File (*.bin)", "*.hex"}}};
}

// A conversion's outcome, told once no command runs: a box in the middle of
// a read or a programming run would hold the run up.
void reportWhenIdle(const QPointer<FrmMain>& window, WindowMessages& messages,
                    const std::shared_ptr<const ConversionCheck>& check) {
  if (!window) return;
  if (window->commandRunning()) {
    QTimer::singleShot(kIdleCheckMs, window.data(),
                       [window, &messages, check] { reportWhenIdle(window, messages, check); });
    return;
  }
  messages.show(check->report());
}

// The chosen file's folder becomes the current folder: the next dialog opens
// there, and the hex editor finds the file by its bare name.
void enterFolderOf(const std::string& fullPath) {
  QDir::setCurrent(QFileInfo(QString::fromStdString(fullPath)).absolutePath());
}

}  // namespace

void FrmMain::takeChosenFile(const ChosenFile& chosen) {
  g_.CurrentFileName = chosen.fullPath;
  g_.CurrentFileTitle = chosen.title;
  enterFolderOf(chosen.fullPath);
  setFileLabel();
}

// Only the last three characters count, folded to lower case: "a.HEX" and
// "myhex" are Intel HEX files, "a.hex.bin" is not. A shorter name is binary.
bool FrmMain::isHexTitle() const {
  const std::string& title = g_.CurrentFileTitle;
  if (title.size() < 3) return false;
  return asciiLower(std::string_view(title).substr(title.size() - 3)) == "hex";
}

void FrmMain::MnuOpen_Click() {
  const std::optional<ChosenFile> chosen = services_.dialogs.run(openRequest());
  if (!chosen) return;
  takeChosenFile(*chosen);
  setBusy(true);
  if (isHexTitle()) {
    // Intel HEX is not loaded here: the converter writes a binary file
    // beside it, which the user opens next. Image and view stay as they are.
    services_.messages.show(kWarningTitle, kHexFileWarning, MessageIcon::Exclamation);
    startProgram(kConverterProgram, {g_.CurrentFileName});
  } else {
    // Loaded aside and taken whole: a file that fails half-way leaves the
    // image and the view as they were.
    MemoryImage loadedImage;
    const Expected<> loaded =
        Load_Image_File(g_.CurrentFileName, g_.EpromSize, loadedImage, services_.messages);
    if (loaded) {
      g_.EpromImage = std::move(loadedImage);
      Show_Image();
    } else {
      setBusy(false);
      services_.messages.show(openFailedMessage(g_.CurrentFileName, loaded.error()));
    }
  }
  setBusy(false);
}

void FrmMain::MnuSaveAs_Click() {
  const std::optional<ChosenFile> chosen = services_.dialogs.run(saveRequest());
  if (!chosen) return;
  takeChosenFile(*chosen);
  setBusy(true);
  const Expected<> saved = Save_Image_File(g_.CurrentFileName, g_.EpromImage);
  setBusy(false);
  if (!saved) services_.messages.show(saveFailedMessage(g_.CurrentFileName, saved.error()));
}

void FrmMain::MnuFileConversion_Click() {
  const std::optional<ChosenFile> chosen = services_.dialogs.run(conversionRequest());
  if (!chosen) return;
  enterFolderOf(chosen->fullPath);
  // The outcome is told once zeza has ended; the window goes on meanwhile,
  // and zeza's own boxes may be up.
  auto check = std::make_shared<const ConversionCheck>(chosen->fullPath);
  const Expected<> started = services_.launcher.startWatched(
      kConverterProgram, {chosen->fullPath},
      [window = QPointer<FrmMain>(this), &messages = services_.messages, check] {
        reportWhenIdle(window, messages, check);
      });
  if (!started) showNotStarted(kConverterProgram, started.error());
}
