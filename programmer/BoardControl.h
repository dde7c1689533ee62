#pragma once

#include <cstdint>

// The control register bits as the programmer board uses them, each under
// the parallel port's standard name for its line.
namespace control_bit {
// Strobe: each 0->1 edge steps the address counter.
inline constexpr std::uint8_t kStep = 0x01;
// Auto Feed: a write with it clear, then one with it set, restarts the
// counter at location 0.
inline constexpr std::uint8_t kRestartCounter = 0x02;
// Initialize: the programming pulse.
inline constexpr std::uint8_t kPulse = 0x04;
// Select In: programming state.
inline constexpr std::uint8_t kProgram = 0x08;
// The port's data direction: 1 = the chip drives the data lines (read).
inline constexpr std::uint8_t kDataInput = 0x20;
}  // namespace control_bit

// The complete set of control values the protocols write.
namespace control_value {
inline constexpr std::uint8_t kOff = 0x00;   // first write of a read / blank check, last of a burn
inline constexpr std::uint8_t kRead = 0x22;  // data lines are inputs, chip presents its byte
inline constexpr std::uint8_t kReadStep = 0x23;   // read state with the step bit
inline constexpr std::uint8_t kProgStart = 0x08;  // first write of a programming pass
inline constexpr std::uint8_t kProgIdle = 0x0A;   // programming state, data driven by the port
inline constexpr std::uint8_t kProgPulse = 0x0E;  // held for ProgPulse milliseconds
inline constexpr std::uint8_t kProgStep = 0x0B;   // programming state with the step bit
}  // namespace control_value
