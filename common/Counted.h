#pragma once

#include <concepts>
#include <string>
#include <string_view>

// A count with its noun, the singular for one: "1 location", "2 locations",
// "0 bits". A verb may ride along: counted(n, "location reads", "locations read").
template <std::integral Count>
std::string counted(Count count, std::string_view one, std::string_view many) {
  std::string text = std::to_string(count);
  text += ' ';
  text += count == 1 ? one : many;
  return text;
}
