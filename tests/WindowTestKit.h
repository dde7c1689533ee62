#pragma once
// Recording stand-ins for the window's boxes, dialogs, launches and waits,
// and a fixture that runs the real FrmMain in a folder of its own.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>

#include "BoardSimulator.h"
#include "FrmMain.h"
#include "TestFiles.h"

struct Box {
  std::string title, text;
  MessageIcon icon;
  const QWidget* owner = nullptr;  // none: the main window
  bool operator==(const Box&) const = default;
};

struct RecordingMessages final : WindowMessages {
  void showFor(QWidget* owner, const std::string& title, const std::string& text,
               MessageIcon icon) override {
    boxes.push_back({title, text, icon, owner});
  }
  std::vector<Box> boxes;
};

// Answers each dialog with the next file queued; none queued is Cancel.
struct ScriptedDialogs final : FileDialogs {
  std::optional<ChosenFile> Run(const FileDialogRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    const ChosenFile answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<ChosenFile> answers;
  std::vector<FileDialogRequest> requests;
};

struct Launch {
  std::string program;
  std::vector<std::string> arguments;
  bool operator==(const Launch&) const = default;
};

struct RecordingLauncher final : Launcher {
  bool Start(const std::string& program, const std::vector<std::string>& arguments,
             std::string& whyNot) override {
    launches.push_back({program, arguments});
    if (fails) whyNot = "not found";
    return !fails;
  }
  std::vector<Launch> launches;
  bool fails = false;
};

struct NoWaitTiming final : BoardTiming {
  void Delay(std::int32_t) override {
    if (onDelay) onDelay();
  }
  void PulseWait(std::int32_t) override {}
  std::function<void()> onDelay;
};

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : previousFolder_(QDir::currentPath()) { QDir::setCurrent(folder_.path()); }
  ~WindowTest() override {
    window.reset();
    QDir::setCurrent(previousFolder_);
  }

  void Make_Window(std::int32_t screenWidth = 1024) {
    window = std::make_unique<FrmMain>(g, WindowServices{messages, dialogs, launcher, ports, timing,
                                                         [screenWidth] { return screenWidth; }});
    window->show();
  }

  QAction* Action(const char* name) const { return window->findChild<QAction*>(name); }
  void Click_Toolbar(const char* key) const {
    QTest::mouseClick(window->Toolbar1->widgetForAction(Action(key)), Qt::LeftButton);
  }
  std::string Folder() const { return folder_.path().toStdString(); }
  std::string Path(const char* name) const { return folder_.filePath(name).toStdString(); }
  ChosenFile Chosen(const char* name) const { return {Path(name), name}; }
  static std::string Label(const QLabel* label) { return label->text().toStdString(); }
  static std::string Entry(const HexViewModel& model, int row) {
    return model.Entry(row).toLatin1().toStdString();
  }

  MdlGlobal g;
  RecordingMessages messages;
  ScriptedDialogs dialogs;
  RecordingLauncher launcher;
  BoardSimulator simulator;
  SimulatorPortSource ports{simulator};
  NoWaitTiming timing;
  std::unique_ptr<FrmMain> window;

 private:
  QTemporaryDir folder_;
  QString previousFolder_;
};
