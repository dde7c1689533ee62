#include "HardwarePortSource.h"

#include <limits>

#include "DirectPort.h"
#include "PortPresence.h"
#include "PortSettings.h"
#include "Ppdev.h"

HardwarePortSource::HardwarePortSource(std::unique_ptr<PpdevCalls> ppdev, std::string procRoot,
                                       std::string devRoot, DirectOpener openDirect,
                                       std::string basePlace)
    : ppdev_(std::move(ppdev)),
      procRoot_(std::move(procRoot)),
      devRoot_(std::move(devRoot)),
      openDirect_(std::move(openDirect)),
      basePlace_(std::move(basePlace)) {}

Expected<PortIo*> HardwarePortSource::acquire(std::int16_t base) {
  if (base < kLowestLptBase || base > kHighestLptBase) {
    return Failure{
        "This is not a usable base address (the control register at base + 2 must stay "
        "below " +
        std::to_string(std::numeric_limits<std::int16_t>::max() + 1) + "): set one from " +
        lptBaseRangeText() + basePlace_ + "."};
  }
  const bool broken = heldPpdev_ != nullptr && heldPpdev_->failed();
  if (held_ && heldBase_ == base && !broken) return held_.get();

  // One port at a time: the old one is released before another is claimed.
  held_.reset();
  heldPpdev_ = nullptr;
  const auto address = static_cast<std::uint16_t>(base);
  const int parport = findParportWithBase(procRoot_, address);
  if (parport >= 0) {
    Expected<std::unique_ptr<PpdevPort>> port =
        PpdevPort::open(*ppdev_, devRoot_ + "/parport" + std::to_string(parport), address);
    if (!port) return Failure{port.error()};
    heldPpdev_ = port->get();
    held_ = std::move(*port);
  } else {
    Expected<std::unique_ptr<PortIo>> direct = openDirect_(address);
    if (!direct) {
      return Failure{"No /dev/parportN has the base address " + baseAddressText(base) + ", and " +
                     direct.error() + kSimulateHint};
    }
    held_ = std::move(*direct);
  }
  if (Expected<> answers = checkPortAnswers(*held_, base); !answers) {
    held_.reset();
    heldPpdev_ = nullptr;
    return Failure{answers.error() + kNoPortHere + kSimulateHint};
  }
  heldBase_ = base;
  return held_.get();
}

std::unique_ptr<PortSource> makeHardwarePortSource(std::string basePlace) {
  return std::make_unique<HardwarePortSource>(makeSystemPpdevCalls(), "/proc", "/dev",
                                              openDirectPort, std::move(basePlace));
}
