#include "programmer/PortSettings.h"

#include <cstdio>

std::string Base_Address_Text(std::int16_t base) {
  char text[32];
  std::snprintf(text, sizeof text, "%d (%Xh)", base, static_cast<unsigned>(base) & 0xFFFFu);
  return text;
}
