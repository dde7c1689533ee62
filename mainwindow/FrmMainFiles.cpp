// The File menu's Open and Save As, and the Utility menu's File Conversion:
// the commands that run a file dialog.
#include <QDir>
#include <QFileInfo>

#include "AsciiCase.h"
#include "FrmMain.h"
#include "ImageFiles.h"
#include "MainTexts.h"

namespace {

FileDialogRequest Open_Request() {
  return {FileDialogRequest::Kind::Open,
          "Open",
          kDefaultFileName,
          {{"Binary File     (*.bin)", "*.Bin"},
           {"Intel Hex File (*.hex)", "*.hex"},
           {"All File         (*.*)", "*.*"}}};
}

FileDialogRequest Save_Request() {
  return {FileDialogRequest::Kind::Save,
          "Save As",
          kDefaultFileName,
          {{"Binary File (*.bin)", "*.bin"}}};
}

FileDialogRequest Conversion_Request() {
  return {FileDialogRequest::Kind::Open,
          "File Conversion ",
          kDefaultFileName,
          {{"Binary File (*.bin)  >>>> Intel IHX8 (*.hex)", "*.Bin"},
           {"Intel IHX8 File (*.hex)  >>>> Binary File (*.bin)", "*.hex"}}};
}

// The chosen file's folder becomes the current folder: the next dialog opens
// there, and the hex editor finds the file by its bare name.
void Enter_Folder_Of(const std::string& fullPath) {
  QDir::setCurrent(QFileInfo(QString::fromStdString(fullPath)).absolutePath());
}

}  // namespace

void FrmMain::Take_Chosen_File(const ChosenFile& chosen) {
  g_.CurrentFileName = chosen.fullPath;
  g_.CurrentFileTitle = chosen.title;
  Enter_Folder_Of(chosen.fullPath);
  Set_File_Label();
}

// Only the last three characters count, folded to lower case: "a.HEX" and
// "myhex" are Intel HEX files, "a.hex.bin" is not. A shorter name is binary.
bool FrmMain::Is_Hex_Title() const {
  const std::string& title = g_.CurrentFileTitle;
  if (title.size() < 3) return false;
  return asciiLower(std::string_view(title).substr(title.size() - 3)) == "hex";
}

void FrmMain::MnuOpen_Click() {
  const std::optional<ChosenFile> chosen = services_.dialogs.Run(Open_Request());
  if (!chosen) return;
  Take_Chosen_File(*chosen);
  SetBusy(true);
  if (Is_Hex_Title()) {
    // Intel HEX is not loaded here: the converter writes a binary file
    // beside it, which the user opens next. Image and view stay as they are.
    services_.messages.Show(kWarningTitle, kHexFileWarning, MessageIcon::Exclamation);
    Start_Program(kConverterProgram, {g_.CurrentFileName});
  } else {
    // Loaded aside and taken whole: a file that fails half-way leaves the
    // image and the view as they were.
    MemoryImage loadedImage;
    const FileResult loaded =
        Load_Image_File(g_.CurrentFileName, g_.EpromSize, loadedImage, services_.messages);
    if (loaded) {
      g_.EpromImage = std::move(loadedImage);
      Show_Image();
    } else {
      SetBusy(false);
      services_.messages.Show(kOpenFailedTitle,
                              kOpenFailedLead + g_.CurrentFileName + "\r" + loaded.reason,
                              MessageIcon::Critical);
    }
  }
  SetBusy(false);
}

void FrmMain::MnuSaveAs_Click() {
  const std::optional<ChosenFile> chosen = services_.dialogs.Run(Save_Request());
  if (!chosen) return;
  Take_Chosen_File(*chosen);
  SetBusy(true);
  const FileResult saved = Save_Image_File(g_.CurrentFileName, g_.EpromImage);
  SetBusy(false);
  if (!saved) {
    services_.messages.Show(kSaveFailedTitle,
                            kSaveFailedLead + g_.CurrentFileName + "\r" + saved.reason,
                            MessageIcon::Critical);
  }
}

void FrmMain::MnuFileConversion_Click() {
  const std::optional<ChosenFile> chosen = services_.dialogs.Run(Conversion_Request());
  if (!chosen) return;
  Enter_Folder_Of(chosen->fullPath);
  if (!Start_Program(kConverterProgram, {chosen->fullPath})) return;
  // Shown at once: the converter reports in boxes of its own.
  services_.messages.Show(kConversionDoneTitle, kConversionDoneText, MessageIcon::Information);
}
