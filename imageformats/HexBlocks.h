#pragma once
// Sixteen bytes to or from their 32 hex characters at once: the data of a
// full record, the common case of both directions. SSE2, which every x86-64
// has, does each in a handful of instructions; elsewhere a table does it one
// byte at a time.
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "HexDigits.h"

// Value of a hex digit in either case. Any other character counts as 0: the
// record's checksum then nearly always reports it.
inline constexpr std::array<std::uint8_t, 256> kDigitValue = [] {
  std::array<std::uint8_t, 256> values{};
  for (unsigned c = '0'; c <= '9'; ++c) values[c] = static_cast<std::uint8_t>(c - '0');
  for (unsigned c = 'A'; c <= 'F'; ++c) values[c] = static_cast<std::uint8_t>(c - 'A' + 10);
  for (unsigned c = 'a'; c <= 'f'; ++c) values[c] = static_cast<std::uint8_t>(c - 'a' + 10);
  return values;
}();

// The byte written as two hex characters, high digit first.
inline std::uint8_t HexPairValue(const std::uint8_t* chars) {
  return static_cast<std::uint8_t>(kDigitValue[chars[0]] << 4 | kDigitValue[chars[1]]);
}

#if defined(__SSE2__)
namespace hex_blocks {

// The value of each of 16 characters as kDigitValue gives it.
inline __m128i digitValues(__m128i chars) {
  const __m128i digit = _mm_sub_epi8(chars, _mm_set1_epi8('0'));
  const __m128i isDigit = _mm_and_si128(_mm_cmpgt_epi8(chars, _mm_set1_epi8('0' - 1)),
                                        _mm_cmplt_epi8(chars, _mm_set1_epi8('9' + 1)));
  // Setting bit 5 folds 'A'-'F' onto 'a'-'f' and nothing else onto them;
  // characters from 80h on stay negative and out of both ranges.
  const __m128i folded = _mm_or_si128(chars, _mm_set1_epi8(0x20));
  const __m128i letter = _mm_sub_epi8(folded, _mm_set1_epi8('a' - 10));
  const __m128i isLetter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                         _mm_cmplt_epi8(folded, _mm_set1_epi8('f' + 1)));
  return _mm_or_si128(_mm_and_si128(isDigit, digit), _mm_and_si128(isLetter, letter));
}

// Eight bytes from 16 digit values, high digit first, in the low byte of each 16-bit lane.
inline __m128i joinPairs(__m128i values) {
  const __m128i joined = _mm_or_si128(_mm_slli_epi16(values, 4), _mm_srli_epi16(values, 8));
  return _mm_and_si128(joined, _mm_set1_epi16(0x00FF));
}

// The sum of 16 bytes.
inline unsigned byteSum(__m128i bytes) {
  const __m128i halves = _mm_sad_epu8(bytes, _mm_setzero_si128());
  return static_cast<unsigned>(_mm_cvtsi128_si32(halves) +
                               _mm_cvtsi128_si32(_mm_unpackhi_epi64(halves, halves)));
}

}  // namespace hex_blocks
#endif

// The 16 bytes written in the 32 characters at `chars`, stored at `out`;
// returns their sum. One table look-up per character, for any processor.
inline unsigned decodeHexPairs16Portable(const std::uint8_t* chars, std::uint8_t* out) {
  unsigned sum = 0;
  for (int i = 0; i < 16; ++i) {
    out[i] = HexPairValue(chars + 2 * i);
    sum += out[i];
  }
  return sum;
}

// The 32 upper-case hex characters of the 16 bytes at `bytes`, stored at
// `out`; returns the bytes' sum. For any processor.
inline unsigned encodeHexPairs16Portable(const std::uint8_t* bytes, char* out) {
  unsigned sum = 0;
  for (int i = 0; i < 16; ++i) {
    putHexByte(out + 2 * i, bytes[i]);
    sum += bytes[i];
  }
  return sum;
}

#if defined(__SSE2__)
inline unsigned decodeHexPairs16Sse2(const std::uint8_t* chars, std::uint8_t* out) {
  using namespace hex_blocks;
  const __m128i first = digitValues(_mm_loadu_si128(reinterpret_cast<const __m128i*>(chars)));
  const __m128i second = digitValues(_mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + 16)));
  const __m128i bytes = _mm_packus_epi16(joinPairs(first), joinPairs(second));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
  return byteSum(bytes);
}

inline unsigned encodeHexPairs16Sse2(const std::uint8_t* bytes, char* out) {
  using namespace hex_blocks;
  const __m128i value = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  const __m128i low = _mm_set1_epi8(0x0F);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(value, 4), low);
  const __m128i lowDigits = _mm_and_si128(value, low);
  // Digit d becomes '0' + d, and 7 more from 10 on, where 'A' follows '9' + 7.
  const auto toChars = [](__m128i digits) {
    const __m128i letters =
        _mm_and_si128(_mm_cmpgt_epi8(digits, _mm_set1_epi8(9)), _mm_set1_epi8('A' - '9' - 1));
    return _mm_add_epi8(_mm_add_epi8(digits, _mm_set1_epi8('0')), letters);
  };
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), toChars(_mm_unpacklo_epi8(high, lowDigits)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16),
                   toChars(_mm_unpackhi_epi8(high, lowDigits)));
  return byteSum(value);
}
#endif

// The fastest of the above that the processor has.
inline unsigned decodeHexPairs16(const std::uint8_t* chars, std::uint8_t* out) {
#if defined(__SSE2__)
  return decodeHexPairs16Sse2(chars, out);
#else
  return decodeHexPairs16Portable(chars, out);
#endif
}

inline unsigned encodeHexPairs16(const std::uint8_t* bytes, char* out) {
#if defined(__SSE2__)
  return encodeHexPairs16Sse2(bytes, out);
#else
  return encodeHexPairs16Portable(bytes, out);
#endif
}
