#pragma once
// A recording stand-in for the window's boxes, dialogs, launches and waits,
// and a fixture that runs the real FrmMain in a folder of its own.
#include <gtest/gtest.h>

#include <QDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "BoardSimulator.h"
#include "FrmMain.h"
#include "HexRows.h"
#include "TestFiles.h"

struct Box {
  std::string title, text;
  MessageIcon icon;
  const QWidget* owner = nullptr;  // none: the main window
  bool operator==(const Box&) const = default;
};
using Launch = std::pair<std::string, std::vector<std::string>>;

// Records the boxes, dialogs and launches; answers the next dialog with the
// file chosen for it, Cancel when none was.
struct WindowFakes final : WindowMessages, FileDialogs, Launcher, BoardTiming {
  void showFor(QWidget* owner, const std::string& title, const std::string& text,
               MessageIcon icon) override {
    boxes.push_back({title, text, icon, owner});
  }
  std::optional<ChosenFile> run(const FileDialogRequest& request) override {
    requests.push_back(request);
    return std::exchange(answer, std::nullopt);
  }
  Expected<> start(const std::string& program, const std::vector<std::string>& arguments) override {
    launches.emplace_back(program, arguments);
    return launchFails ? Expected<>(Failure{"not found"}) : Expected<>();
  }
  // The program runs until the test ends it with endProgram().
  Expected<> startWatched(const std::string& program, const std::vector<std::string>& arguments,
                          std::function<void()> ended) override {
    Expected<> started = start(program, arguments);
    if (started) running.push_back(std::move(ended));
    return started;
  }
  // The oldest program still running ends; the window hears of it from the event loop.
  void endProgram() {
    ASSERT_FALSE(running.empty());
    QTimer::singleShot(0, [ended = std::move(running.front())] { ended(); });
    running.erase(running.begin());
    QCoreApplication::processEvents();
  }
  void delay(std::int32_t) override {
    if (onDelay) onDelay();
  }
  // The board's clock moves by the pulses and by nothing else.
  void pulseWait(std::chrono::microseconds length) override { time += length; }
  std::chrono::nanoseconds now() const override { return time; }
  std::chrono::nanoseconds time{0};

  std::vector<Box> boxes;
  std::optional<ChosenFile> answer;
  std::vector<FileDialogRequest> requests;
  std::vector<Launch> launches;
  std::vector<std::function<void()>> running;  // the watched programs' ends
  bool launchFails = false;
  std::function<void()> onDelay;  // a user acting during a run
};

// Each test starts with a window of its own in a folder of its own.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : previousFolder_(QDir::currentPath()) {
    simulator_.setClock(fakes_);
    QDir::setCurrent(QString::fromStdString(folder_.path.string()));
  }
  ~WindowTest() override {
    window_.reset();
    QDir::setCurrent(previousFolder_);
  }
  void SetUp() override { makeWindow(); }
  void makeWindow(std::int32_t screenWidth = 1024) {
    window_ = std::make_unique<FrmMain>(g_, WindowServices{fakes_, fakes_, fakes_, ports_, fakes_,
                                                           [screenWidth] { return screenWidth; }});
    window_->show();
  }
  // A menu item chosen.
  void trigger(const char* item) const { window_->findChild<QAction*>(item)->trigger(); }
  // The toolbar button of `key`, as its action is known to the toolbar.
  QAction* button(const char* key) const {
    for (QAction* action : window_->Toolbar1->actions())
      if (action->data().toString() == QLatin1String(key)) return action;
    return nullptr;
  }
  void click(const char* key) const {
    QTest::mouseClick(window_->Toolbar1->widgetForAction(button(key)), Qt::LeftButton);
  }
  std::string filePath(const std::string& name) const { return folder_.filePath(name); }
  // Opens a file of `bytes` under `name` in the test's folder.
  void open(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    writeFile(filePath(name), bytes);
    choose(name);
    trigger("MnuOpen");
  }
  // The next dialog chooses `name` in the test's folder.
  void choose(const std::string& name) {
    fakes_.answer = {filePath(name), name.substr(name.rfind('/') + 1)};
  }
  static std::string text(const QLabel* label) { return label->text().toStdString(); }
  std::string checkSum() const { return text(window_->LblChkSum); }
  std::string entry(const HexViewModel& model, int row) const {
    return model.entry(row).toLatin1().toStdString();
  }
  HexView& view() const { return window_->view(); }

  MdlGlobal g_;
  WindowFakes fakes_;
  BoardSimulator simulator_;
  SimulatorPortSource ports_{simulator_};
  std::unique_ptr<FrmMain> window_;

 private:
  TempFolder folder_;
  QString previousFolder_;
};
