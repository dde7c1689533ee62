#pragma once
// Shared by zeza's suites: a folder per test, recorded messages.
#include "FolderTest.h"
#include "Messages.h"

struct RecordedMessages : ConverterMessages {
  std::vector<std::string> shown;
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
};
