#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ImageHashes.h"

// A dump's entry in the two kinds of ROM list people look dumps up in. The
// entry names the file inside its set, so only the last part of `path`
// (after its last '/') is used: "dumps/pacman/pm1.bin" is "pm1.bin".

// MAME's driver line, with the name as a C string literal (a double quote
// or backslash escaped by a backslash, control characters in octal):
// ROM_LOAD( "pm1.bin", 0x000000, 0x008000, CRC(1a2b3c4d) SHA1(...) )
std::string mameRomLoadLine(std::string_view path, std::size_t size, const ImageHashes& hashes);

// A Logiqx DAT file's line, with the name escaped for an XML attribute:
// <rom name="pm1.bin" size="32768" crc="1a2b3c4d" sha1="..."/>
std::string datRomLine(std::string_view path, std::size_t size, const ImageHashes& hashes);
