#include "ImageHashes.h"

#include <nettle/base16.h>
#include <nettle/sha1.h>
#include <zlib.h>

#include <array>

namespace {

template <std::size_t N>
std::string lowerCaseHex(const std::array<std::uint8_t, N>& bytes) {
  std::string text(BASE16_ENCODE_LENGTH(N), '\0');
  base16_encode_update(text.data(), N, bytes.data());
  return text;
}

}  // namespace

ImageHashes hashBytes(std::span<const std::uint8_t> bytes) {
  // crc32_z takes any length; crc32 itself only what an unsigned int holds.
  const auto crc =
      static_cast<std::uint32_t>(crc32_z(crc32(0, nullptr, 0), bytes.data(), bytes.size()));
  const std::array<std::uint8_t, 4> crcBytes = {
      static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
      static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};

  sha1_ctx context;
  sha1_init(&context);
  sha1_update(&context, bytes.size(), bytes.data());
  std::array<std::uint8_t, SHA1_DIGEST_SIZE> digest{};
  sha1_digest(&context, digest.size(), digest.data());

  return {lowerCaseHex(crcBytes), lowerCaseHex(digest)};
}
