#include "ProgrammingAlgorithms.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<ProgrammingAlgorithm, const char*>, 3> kNames{{
    {ProgrammingAlgorithm::Default, "default"},
    {ProgrammingAlgorithm::Intelligent, "intelligent"},
    {ProgrammingAlgorithm::Quick, "quick"},
}};

}  // namespace

PulsePlan pulsePlanOf(const ProgrammingMethod& method, const PortSettings& settings) {
  using std::chrono::microseconds;
  using std::chrono::milliseconds;
  PulsePlan plan{milliseconds(std::max(settings.ProgPulse, 0)), PortSettings::MaxAttempts, 0};
  if (method.algorithm == ProgrammingAlgorithm::Intelligent)
    plan = {milliseconds(1), kMostPulses, 3};
  if (method.algorithm == ProgrammingAlgorithm::Quick) plan = {microseconds(100), kMostPulses, 0};
  if (method.pulse) plan.pulse = std::max(*method.pulse, microseconds(0));
  if (method.maxPulses) plan.maxPulses = std::clamp(*method.maxPulses, 1, kMostPulses);
  return plan;
}

const char* algorithmName(ProgrammingAlgorithm algorithm) {
  for (const auto& [named, name] : kNames)
    if (named == algorithm) return name;
  return "";
}

std::optional<ProgrammingAlgorithm> algorithmNamed(std::string_view name) {
  for (const auto& [algorithm, named] : kNames)
    if (name == named) return algorithm;
  return std::nullopt;
}
