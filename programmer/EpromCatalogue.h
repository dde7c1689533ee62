#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "MemoryImage.h"

// One EPROM type. No type carries a protocol parameter: the board steps its
// own address counter, so the type decides only how many locations a pass walks.
struct EpromTypeRow {
  const char* menuItem;     // object name of its menu item, e.g. "Mnu2732"
  const char* caption;      // menu caption, e.g. "2732"
  const char* key;          // EpromType, e.g. " 2732" (four-digit types have a leading blank)
  const char* labelSuffix;  // appended to "Eprom: " in LblEprom
  std::int32_t size;        // bytes
  bool selectable;          // the 274001 and 27080 items are laid out unavailable
};

inline constexpr std::array<EpromTypeRow, 10> kEpromCatalogue{{
    {"Mnu2716", "2716", " 2716", "  2716", 2048, true},
    {"Mnu2732", "2732", " 2732", "  2732", 4096, true},
    {"Mnu2764", "2764", " 2764", "  2764", 8192, true},
    {"Mnu27128", "27128", "27128", " 27128", 16384, true},
    {"Mnu27256", "27256", "27256", " 27256", 32768, true},
    {"Mnu27512", "27512", "27512", " 27512", 65536, true},
    {"Mnu271001", "271001", "271001", " 271001", 131072, true},
    {"Mnu272001", "272001", "272001", " 272001", 262144, true},
    {"Mnu274001", "274001", "274001", " 274001", 524288, false},
    {"Mnu27080", "27080", "27080", " 27080", 1048576, false},
}};

inline constexpr std::size_t kStartUpEpromRow = 1;  // the 2732

// Size of the row whose key equals `key` exactly (case and blanks count); 0 when none.
std::int32_t Get_Eprom_Size(std::string_view key);

// The state part of Select_Eprom: EpromType takes the row's key, EpromSize its
// size, and the image is re-created as EpromSize bytes of 00 (also when the
// row is already the current one).
void selectEpromState(const EpromTypeRow& row, std::string& epromType, std::int32_t& epromSize,
                      MemoryImage& epromImage);
