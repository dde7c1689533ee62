#pragma once

#include <string_view>

#include "Expected.h"
#include "RomCatalogue.h"

// A ClrMamePro text DAT:
//   clrmamepro ( name "..." )
//   game ( name pacman description "Pac-Man" rom ( name pm.6e size 4096 crc c1e6ab10 sha1 ... ) )
// Sets are game, machine and resource blocks; other blocks and keys are
// stepped over. A ROM flagged nodump, or without a CRC32, is never matched.
Expected<RomCatalogue> readClrMameProDat(std::string_view text);

// Whether the text begins as such a DAT does: a word, then "(".
bool looksLikeClrMameProDat(std::string_view text);
