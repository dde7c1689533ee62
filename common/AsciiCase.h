#pragma once

#include <string>
#include <string_view>

// Case folding of the ASCII letters A to Z only, whatever the locale: file
// names and extensions are compared as bytes, never as characters of a
// language.
constexpr char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// `text` with each character as `fold` gives it.
inline std::string asciiFolded(std::string_view text, char (*fold)(char)) {
  std::string folded(text);
  for (char& c : folded) c = fold(c);
  return folded;
}

inline std::string asciiLower(std::string_view text) {
  return asciiFolded(text, asciiLower);
}

inline std::string asciiUpper(std::string_view text) {
  return asciiFolded(text, asciiUpper);
}
