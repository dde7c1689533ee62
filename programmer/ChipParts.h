#pragma once
// The 27-series parts as they are printed on chips, each with what its
// datasheet says about programming it: the board's type it takes, the
// programming algorithm, and the VPP and VCC to set on the board, which does
// not switch voltages itself. The figures are data only, in ChipParts.cpp
// with their sources; this header also matches the names people write, with
// makers' prefixes and speed, package or revision suffixes.

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "EpromCatalogue.h"
#include "ProgrammingAlgorithms.h"

struct ChipPart {
  std::array<const char*, 3> names;  // as printed, upper case, the part's own first; unused: null
  const char* type;                  // the catalogue's caption of the board's size: "27512"
  ProgrammingAlgorithm algorithm;    // the datasheet's, or what vesk does instead (`note`)
  int vpp;                           // programming voltage in hundredths of a volt: 1275
  int vcc;                           // supply voltage while programming, the same
  // Where the datasheet's algorithm does not fit the board's pulses, what it
  // gives and what vesk does instead; null where it fits.
  const char* note;
};

// Every part, in the order of their sizes.
std::span<const ChipPart> chipParts();

// The makers' prefixes a part's name may carry: "AM", "M", "TMS" ...
std::span<const std::string_view> makerPrefixes();

// The catalogue's row of the board's type the part takes.
const EpromTypeRow& catalogueRowOf(const ChipPart& part);

// A name as written on a chip, in any case: a maker's prefix or none, one of
// the part's names, and a suffix that does not start with a digit (speed,
// package, temperature, revision: "-10F1", "-150DC", "R", "AD-20").
struct PartName {
  const ChipPart* part = nullptr;
  std::string_view name;  // the part's name it carries: "27C1001"
};
std::optional<PartName> partNamed(std::string_view text);

// The catalogue's row that a name written the same way gives, for the types
// the catalogue lists but the board cannot take (27C040, 27C801 ...); null
// when the name is none of them.
const EpromTypeRow* unavailableTypeNamed(std::string_view text);
