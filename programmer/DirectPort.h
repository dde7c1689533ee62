#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "programmer/PortIo.h"

// Direct x86 port I/O (ioperm or iopl, then inb/outb) on the three registers
// at `base`, for a port that no ppdev device stands for. Needs root. nullptr
// with `whyNot` giving the cause (no permission, not an x86 machine).
std::unique_ptr<PortIo> OpenDirectPort(std::uint16_t base, std::string& whyNot);
