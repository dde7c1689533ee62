#include "DelayLoop.h"

void Delay_Loop(std::int32_t n) {
  for (std::int32_t i = 0; i < n; ++i) {
    // An empty asm that claims to change the counter: the optimiser must keep
    // every iteration, yet no memory access is added to it.
    asm volatile("" : "+r"(i));
  }
}
