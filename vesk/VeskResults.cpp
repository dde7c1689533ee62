#include "VeskResults.h"

namespace {

VeskStatus statusOf(CommandOutcome outcome) {
  switch (outcome) {
    case CommandOutcome::Done:
      return VeskStatus::Done;
    case CommandOutcome::NotBlank:
    case CommandOutcome::BadEprom:
      return VeskStatus::ChipSaidNo;
    case CommandOutcome::Stopped:
      return VeskStatus::Stopped;
    case CommandOutcome::NoPort:
    case CommandOutcome::PortFailed:
    case CommandOutcome::ChipFileFailed:
      break;
  }
  return VeskStatus::Failed;
}

}  // namespace

VeskStatus statusOf(const VeskReadResult& result) {
  if (result.chip.outcome != CommandOutcome::Done) return statusOf(result.chip.outcome);
  if (result.failure) return VeskStatus::Failed;
  return result.unstable.empty() ? VeskStatus::Done : VeskStatus::Unstable;
}

VeskStatus statusOf(const VeskBlankResult& result) {
  return statusOf(result.chip.outcome);
}

VeskStatus statusOf(const VeskWriteResult& result) {
  if (result.failure) return VeskStatus::Failed;
  if (result.toErase) return VeskStatus::ChipSaidNo;
  return statusOf(result.chip.outcome);
}

VeskStatus statusOf(const VeskVerifyResult& result) {
  if (result.failure) return VeskStatus::Failed;
  if (result.chip.outcome != CommandOutcome::Done) return statusOf(result.chip.outcome);
  if (result.comparison && result.comparison->differences != 0) return VeskStatus::ChipSaidNo;
  return result.unstable.empty() ? VeskStatus::Done : VeskStatus::Unstable;
}

VeskStatus statusOf(const VeskInfoResult& result) {
  return result.failure ? VeskStatus::Failed : VeskStatus::Done;
}

VeskStatus statusOf(const VeskFilesResult& result) {
  return result.failure ? VeskStatus::Failed : VeskStatus::Done;
}

VeskStatus statusOf(const VeskTypesResult&) {
  return VeskStatus::Done;
}
