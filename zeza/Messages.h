#pragma once

#include <string>

// The caption of every box zeza shows, and the first line it prints on
// standard error when there is no display.
inline constexpr const char* kZezaBanner = "zeza - bin/hex converter";

// Where the converter's messages go. The program shows each as a modal box
// (or prints it when there is no display); tests record them in order. The
// converter's code never shows or prints anything by itself.
class ConverterMessages {
 public:
  virtual ~ConverterMessages() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};
