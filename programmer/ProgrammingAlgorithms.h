#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "PortSettings.h"

// How each location is pulsed, as the chips' datasheets give it. Every
// algorithm reads the byte back after each pulse and pulses again until it
// reads right or the pulses are spent ("Bad Eprom"):
//   Default      pulses of ProgPulse ms, at most MaxAttempts (10): the window's;
//   Intelligent  1 ms pulses, at most 25, then one more pulse of 3 ms for each
//                pulse the byte took (the margin of the NMOS 2764 and 27128);
//   Quick        100 us pulses, at most 25, nothing after (the CMOS 27C parts,
//                whose verify is margin enough).
enum class ProgrammingAlgorithm { Default, Intelligent, Quick };

// The most pulses any location gets, whatever the user asks.
inline constexpr int kMostPulses = 25;
// The pulse lengths a user may ask for, besides 0 (a pulse as short as the
// two writes around it, which programs nothing).
inline constexpr std::chrono::microseconds kShortestPulse{50};
inline constexpr std::chrono::microseconds kLongestPulse{kHighestProgPulse * 1000};

// An algorithm and the figures of it that the user overrides.
struct ProgrammingMethod {
  ProgrammingAlgorithm algorithm = ProgrammingAlgorithm::Default;
  std::optional<std::chrono::microseconds> pulse{};  // each pulse's length
  std::optional<int> maxPulses{};                    // 1 to kMostPulses
  bool operator==(const ProgrammingMethod&) const = default;
};

// What a programming pass runs with.
struct PulsePlan {
  std::chrono::microseconds pulse;
  int maxPulses;  // 1 to kMostPulses
  // A byte that reads back right after its n-th pulse gets one more pulse of
  // extraPulseFactor x n pulse lengths; 0: none.
  int extraPulseFactor;
  bool operator==(const PulsePlan&) const = default;
};

// The method's figures: the algorithm's, each as overridden; Default takes
// its pulse from ProgPulse.
PulsePlan pulsePlanOf(const ProgrammingMethod& method, const PortSettings& settings);

// "default", "intelligent", "quick": the algorithms as users name them.
const char* algorithmName(ProgrammingAlgorithm algorithm);
std::optional<ProgrammingAlgorithm> algorithmNamed(std::string_view name);
