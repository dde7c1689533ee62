#pragma once

#include <string>
#include <vector>

#include "Messages.h"

// zeza's messages for a person: a modal box captioned with the banner when a
// display can be reached, otherwise the banner and then each message on
// standard error. The box comes from a Qt module loaded with the first
// message (see MessageBoxModule.h); without the module, zeza prints.
class ZezaMessageOutput : public ConverterMessages {
 public:
  // `moduleFolders`: where to look for the module, tried in order.
  ZezaMessageOutput(std::string programName, std::vector<std::string> moduleFolders);
  ~ZezaMessageOutput() override;
  ZezaMessageOutput(const ZezaMessageOutput&) = delete;
  ZezaMessageOutput& operator=(const ZezaMessageOutput&) = delete;

  void ShowMessage(const std::string& text) override;

 private:
  bool openBoxes();
  void print(const std::string& text);

  std::string programName_;
  std::vector<std::string> moduleFolders_;
  bool triedBoxes_ = false;
  void* module_ = nullptr;
  void* boxes_ = nullptr;
  void (*show_)(void*, const char*, const char*) = nullptr;
  void (*close_)(void*) = nullptr;
  bool bannerPrinted_ = false;
};
