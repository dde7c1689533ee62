#pragma once
// A test in a folder of its own, and random bytes that repeat by seed: shared
// by the suites of the image formats and of zeza.
#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"

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
