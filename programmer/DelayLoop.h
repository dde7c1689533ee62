#pragma once

#include <cstdint>

// Busy-waits n empty loop iterations (none for n < 1). No timer, no sleep,
// no event processing: the optimiser must not remove the iterations.
void Delay_Loop(std::int32_t n);
