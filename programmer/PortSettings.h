#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// How the board is reached and timed; one set for the whole run, never saved.
struct PortSettings {
  std::int16_t LptBase = 888;                      // 378h, LPT1
  std::int32_t IoDelay = 100;                      // Delay_Loop iterations between port accesses
  std::int32_t ProgPulse = 1;                      // milliseconds per programming pulse
  bool VerifyEmpty = true;                         // blank check before programming
  static constexpr std::int16_t MaxAttempts = 10;  // pulses per location before "Bad Eprom"
};

// Register addresses relative to LptBase.
inline constexpr int kDataRegister = 0;
inline constexpr int kControlRegister = 2;

// Base addresses a port can have here: the control register at base + 2 must
// stay within the 16-bit signed range.
inline constexpr std::int16_t kLowestLptBase = 1;
inline constexpr std::int16_t kHighestLptBase = 32765;

// The three ports a PC names LPT1 to LPT3.
inline constexpr std::int16_t kLpt1Base = 888;  // 378h
inline constexpr std::int16_t kLpt2Base = 632;  // 278h
inline constexpr std::int16_t kLpt3Base = 956;  // 3BCh

// The ranges the user may choose from.
inline constexpr std::int32_t kHighestIoDelay = 5000;
inline constexpr std::int32_t kHighestProgPulse = 5;

// A base address typed in decimal: a whole number from kLowestLptBase to
// kHighestLptBase, blanks around it allowed.
std::optional<std::int16_t> parseLptBase(std::string_view text);

// "888 (378h)": how messages name a base address.
std::string baseAddressText(std::int16_t base);
