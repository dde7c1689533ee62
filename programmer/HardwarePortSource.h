#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "PortIo.h"
#include "PortSource.h"
#include "Ppdev.h"

// The real parallel port for a base address: the /dev/parportN whose base
// address it is, else direct x86 I/O. The port is opened once, checked once
// for a port that answers there (checkPortAnswers), and held until the base
// address changes or the source is destroyed; one that does not answer is
// released and refused.
class HardwarePortSource final : public PortSource {
 public:
  // Opens direct access, or says why it cannot.
  using DirectOpener = std::function<Expected<std::unique_ptr<PortIo>>(std::uint16_t)>;

  // `procRoot` and `devRoot` are "/proc" and "/dev" but for tests.
  // `basePlace` says where the program's user chooses another base address
  // (" in Options"), as the refusal of an unusable one ends.
  HardwarePortSource(std::unique_ptr<PpdevCalls> ppdev, std::string procRoot, std::string devRoot,
                     DirectOpener openDirect, std::string basePlace = {});

  Expected<PortIo*> acquire(std::int16_t base) override;

 private:
  std::unique_ptr<PpdevCalls> ppdev_;
  std::string procRoot_;
  std::string devRoot_;
  DirectOpener openDirect_;
  std::string basePlace_;
  std::unique_ptr<PortIo> held_;
  PpdevPort* heldPpdev_ = nullptr;  // held_, when it is a ppdev port
  std::int16_t heldBase_ = 0;
};

// ppdev for the /dev/parportN whose base address is LptBase, else direct x86 I/O (root).
std::unique_ptr<PortSource> makeHardwarePortSource(std::string basePlace);
