#pragma once

#include <cstdint>

#include "Expected.h"
#include "PortIo.h"

// Whether a parallel port answers at `base`, asked once when a port is
// acquired, so that a missing port is never read as a blank chip: with the
// board off (control 00h) and the port driving the data lines, 55h and AAh
// written to the data register must read back. FFh goes into the latch
// first, so that a pulse the board may be left in programs nothing when the
// 00h ends it, and stays there after the check. When no port answers: one
// sentence that names the address and what came back, for the "No Port
// Access" box; the caller adds what to do about it.
Expected<> checkPortAnswers(PortIo& port, std::int16_t base);

// What a real port that does not answer means and what to do about it.
inline constexpr const char* kNoPortHere =
    " Either no port has this base address (LPT1 is 378h = 888, LPT2 278h = 632, LPT3 3BCh = "
    "956; the system lists the ports it found in /proc/sys/dev/parport/*/base-addr), or the port "
    "is switched off in the BIOS set-up: switch it on, in a bidirectional mode (PS/2 or EPP), "
    "which reading a chip needs.";
