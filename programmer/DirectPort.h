#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Expected.h"
#include "PortIo.h"

// Direct x86 port I/O (ioperm or iopl, then inb/outb) on the three registers
// at `base`, for a port that no ppdev device stands for. Needs root. When it
// fails: what failed and what the user can do about it.
Expected<std::unique_ptr<PortIo>> openDirectPort(std::uint16_t base);

// Why direct access was refused, as the system said it (`error`, an errno of
// ioperm / iopl), and what to do: only a user who is not root is told to
// become root; root refused (kernel lockdown, say) is told to use the drivers.
std::string directRefusalText(int error, bool root);
