#pragma once

#include <memory>
#include <string>

#include "converter/Messages.h"

class QApplication;

// zeza's messages for a person: a modal box captioned with the banner when a
// display can be reached, otherwise the banner and then each message on
// standard error. Qt is started only when the first message comes, so a run
// that has nothing to say costs no connection to the display.
class ZezaMessageOutput : public ConverterMessages {
 public:
  explicit ZezaMessageOutput(const char* program_name);
  ~ZezaMessageOutput() override;

  void ShowMessage(const std::string& text) override;

 private:
  bool StartQt();
  void Print(const std::string& text);

  std::string program_name_;
  char* qt_argv_[4] = {};
  int qt_argc_ = 0;
  std::string platforms_;
  std::unique_ptr<QApplication> app_;
  bool tried_qt_ = false;
  bool banner_printed_ = false;
};
