#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

// The three ports a PC names LPT1 to LPT3.
inline constexpr std::int16_t kLpt1Base = 0x378;  // 888
inline constexpr std::int16_t kLpt2Base = 0x278;  // 632
inline constexpr std::int16_t kLpt3Base = 0x3BC;  // 956

// How the board is reached and timed; one set for the whole run, never saved.
struct PortSettings {
  std::int16_t LptBase = kLpt1Base;
  std::int32_t IoDelay = 100;                      // Delay_Loop iterations between port accesses
  std::int32_t ProgPulse = 1;                      // milliseconds per programming pulse
  bool VerifyEmpty = true;                         // blank check before programming
  static constexpr std::int16_t MaxAttempts = 10;  // pulses per location before "Bad Eprom"
};

// Register addresses relative to LptBase.
inline constexpr int kDataRegister = 0;
inline constexpr int kControlRegister = 2;

// Base addresses a port can have here, 1 to 32765: the control register at
// base + 2 must stay within the 16-bit signed range of LptBase.
inline constexpr std::int16_t kLowestLptBase = 1;
inline constexpr std::int16_t kHighestLptBase =
    std::numeric_limits<std::int16_t>::max() - kControlRegister;

// The ranges the user may choose from.
inline constexpr std::int32_t kHighestIoDelay = 5000;
inline constexpr std::int32_t kHighestProgPulse = 5;

// A base address typed in decimal: a whole number from kLowestLptBase to
// kHighestLptBase, blanks around it allowed.
[[nodiscard]] std::optional<std::int16_t> parseLptBase(std::string_view text);

// "378h": a base address in upper-case hex, as the ports' names show it.
std::string baseAddressHex(std::int16_t base);

// "888 (378h)": how messages name a base address.
std::string baseAddressText(std::int16_t base);

// "1 to 32765": the base addresses a user may give.
std::string lptBaseRangeText();
