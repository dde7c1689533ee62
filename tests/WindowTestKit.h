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
  std::optional<ChosenFile> run(const FileDialogRequest& request) override {
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
  Expected<> start(const std::string& program, const std::vector<std::string>& arguments) override {
    launches.push_back({program, arguments});
    if (fails) return Failure{"not found"};
    return {};
  }
  std::vector<Launch> launches;
  bool fails = false;
};

struct NoWaitTiming final : BoardTiming {
  void delay(std::int32_t) override {
    if (onDelay) onDelay();
  }
  void pulseWait(std::int32_t) override {}
  std::function<void()> onDelay;
};

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : previousFolder_(QDir::currentPath()) { QDir::setCurrent(folder_.path()); }
  ~WindowTest() override {
    window_.reset();
    QDir::setCurrent(previousFolder_);
  }

  void makeWindow(std::int32_t screenWidth = 1024) {
    window_ = std::make_unique<FrmMain>(
        g_, WindowServices{messages_, dialogs_, launcher_, ports_, timing_,
                           [screenWidth] { return screenWidth; }});
    window_->show();
  }

  QAction* action(const char* name) const { return window_->findChild<QAction*>(name); }
  void clickToolbar(const char* key) const {
    QTest::mouseClick(window_->Toolbar1->widgetForAction(action(key)), Qt::LeftButton);
  }
  std::string folderPath() const { return folder_.path().toStdString(); }
  std::string filePath(const char* name) const { return folder_.filePath(name).toStdString(); }
  ChosenFile chosen(const char* name) const { return {filePath(name), name}; }
  static std::string labelText(const QLabel* label) { return label->text().toStdString(); }
  static std::string entry(const HexViewModel& model, int row) {
    return model.entry(row).toLatin1().toStdString();
  }

  MdlGlobal g_;
  RecordingMessages messages_;
  ScriptedDialogs dialogs_;
  RecordingLauncher launcher_;
  BoardSimulator simulator_;
  SimulatorPortSource ports_{simulator_};
  NoWaitTiming timing_;
  std::unique_ptr<FrmMain> window_;

 private:
  QTemporaryDir folder_;
  QString previousFolder_;
};
