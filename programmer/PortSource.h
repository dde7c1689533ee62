#pragma once

#include <cstdint>
#include "Expected.h"
#include "PortIo.h"

// Hands out port access for a base address. A hardware source opens and
// claims the port once and holds it until the base address changes or the
// source is destroyed.
class PortSource {
 public:
  virtual ~PortSource() = default;
  // The port for `base` (never null), once a port has answered there
  // (checkPortAnswers); or what is missing and how to get it (group lp, root,
  // or --simulate), or that no port answers at that address.
  virtual Expected<PortIo*> acquire(std::int16_t base) = 0;
};
