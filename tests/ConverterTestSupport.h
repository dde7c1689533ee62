#pragma once
// Shared by the converter's suites: a folder per test, recorded messages.
#include <gtest/gtest.h>

#include <random>

#include "Messages.h"
#include "TestFiles.h"

struct RecordedMessages : ConverterMessages {
  std::vector<std::string> shown;
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
};

// A test in a folder of its own.
class FolderTest : public ::testing::Test {
 protected:
  std::string filePath(const std::string& name) const { return folder_.filePath(name); }
  TempFolder folder_;
};

inline std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}
