#pragma once

#include <QAction>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QToolBar>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "BoardProgress.h"
#include "BoardTiming.h"
#include "Commands.h"
#include "ElidedLabel.h"
#include "EpromCatalogue.h"
#include "FileDialogs.h"
#include "HexView.h"
#include "Launcher.h"
#include "MdlGlobal.h"
#include "OuterFrame.h"
#include "PortSource.h"
#include "RunStop.h"
#include "UserInterfaces.h"
#include "WindowMessages.h"

// Everything the window reaches outside itself. Tests hand in recording fakes.
struct WindowServices {
  WindowMessages& messages;
  FileDialogs& dialogs;
  Launcher& launcher;
  PortSource& ports;
  BoardTiming& timing;
  // Width of the screen in pixels; empty: the primary screen's.
  std::function<std::int32_t()> screenWidth;
  // Asked between two locations of a run: the program is to end.
  const StopRequest* stop = nullptr;
  // The simulated chip's file, written back after every programming run.
  ChipFile* chipFile = nullptr;
};

// The main window: menus, Toolbar1, the status labels, the hex view, and the
// commands they run. Every command runs to its end before the next can start.
// Menu and toolbar share one QAction per command.
class FrmMain final : public QMainWindow, public BusyIndicator {
  Q_OBJECT
 public:
  FrmMain(MdlGlobal& global, WindowServices services, QWidget* parent = nullptr);
  ~FrmMain() override;

  // Runs the command of a toolbar key; the keys compare exactly, case included,
  // and a key that matches none does nothing. A failure the command does not
  // handle itself ends it quietly (from a menu it gets the "Error" box).
  void Toolbar1_ButtonClick(const QString& key);

  void Select_Eprom(const EpromTypeRow& row);
  void Reset_Hex_View(std::int32_t size);
  // After a binary open: checksum, data rows, row 0 selected in all lists.
  void Show_Image();

  void MnuOpen_Click();
  void MnuSaveAs_Click();
  void MnuExit_Click();
  void MnuRead_Click();
  void MnuWrite_Click();
  void MnuFill00_Click();
  void MnuOption_Click();
  void MnuDiagnostic_Click();
  void MnuFileConversion_Click();
  void MnuHexEditor_Click();
  void MnuCRC32_Click();
  void Mnuabout_Click();
  void MnuWhatsVESK_Click();

  // A command runs: the outcome of a conversion waits until it has ended.
  bool commandRunning() const { return running_; }
  HexView& view() { return *hexView_; }

  // The hourglass, while a command works the board.
  void setBusy(bool busy) override;

  QMenu* MnuFile;
  QMenu* MnuAction;
  QMenu* MnuConfiguration;
  QMenu* MnuSelectEprom;
  QMenu* MnuUtility;
  QMenu* MnuHelp;
  std::array<QAction*, kEpromCatalogue.size()> typeItems{};
  QToolBar* Toolbar1;  // the keyed buttons under the menu bar
  QFrame* Frame2;      // the status frame around the three labels
  QLabel* LblEprom;
  ElidedLabel* LblFileName;
  QLabel* LblChkSum;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildToolbar();
  void buildStatusFrame();
  void arrange(bool compact);
  void Set_Defaults();
  void createDefaultFileIfMissing();
  void Uncheck_All_Eproms();
  using Command = void (FrmMain::*)();
  void addMenuItem(QMenu* menu, const char* name, const char* caption, Command command);
  // What becomes of a failure that a command does not handle itself.
  enum class Failures { Shown, Quiet };
  // Runs a command unless one is running; no command ends with a stray
  // exception or a wait cursor.
  void runCommand(const std::function<void()>& command, Failures failures);
  // After a read or an open: checksum label and data rows from the image,
  // the lists hidden while they are refilled.
  void showImageRows();
  // Then: selections aligned to Lst_Address's row, window repainted.
  void alignListsAndRepaint();
  void setFileLabel();
  // After a confirmed dialog: the current file, its label and the current folder.
  void takeChosenFile(const ChosenFile& chosen);
  // What the read and write commands work with.
  CommandContext commandContext();
  bool startProgram(const char* program, const std::vector<std::string>& arguments);
  // The box of a program that could not be started, and why.
  void showNotStarted(const char* program, const std::string& why);
  bool isHexTitle() const;

  MdlGlobal& g_;
  WindowServices services_;
  HexView* hexView_;
  OuterFrame* outerFrame_;  // keeps the window's outer size once it is framed
  BoardProgress progress_;
  QPointer<QDialog> options_;  // the open Options window, deleted when it closes
  // The menus' actions by the command they run; the toolbar shares them.
  std::vector<std::pair<Command, QAction*>> commandActions_;
  // The action whose toolbar button is pressed: a trigger of it until the
  // button is released is a toolbar click (Qt signals a shared action's
  // trigger alike to the menu, the toolbar and the action, wherever it came from).
  QAction* pressedOnToolbar_ = nullptr;
  bool running_ = false;
  bool busy_ = false;
};
