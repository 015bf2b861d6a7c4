// Host pixels from colour indexes: vector paths where the processor has
// them, one pixel at a time for the rest.
#include "host/conversion/PixelConversion.h"

#include <cstring>

#include "host/conversion/ColourConversion.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TAVRIN_SHUFFLE_CONVERT 1
#endif

namespace {

#if TAVRIN_SHUFFLE_CONVERT
// The conversion with byte shuffles, 16 pixels at a time, where the processor
// has SSSE3 (checked once at run time). Each byte of a host pixel comes from
// two 16-entry byte tables, one for colours 0-15 and one for 16-31: a shuffle
// looks up all 16 pixels' bytes in each, bit 4 of the index picks between
// the two, and the byte planes are then interleaved into 2- or 4-byte pixels.
// Indexes are masked to 0-31 first, as the plain loop does.
bool HasShuffle() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

// One byte plane of 16 pixels: `index` holds their low four bits, `upper`
// is 0xFF where bit 4 is set.
[[gnu::target("ssse3")]] inline __m128i LookUp(__m128i low, __m128i high, __m128i index, __m128i upper) {
  return _mm_or_si128(_mm_andnot_si128(upper, _mm_shuffle_epi8(low, index)),
                      _mm_and_si128(upper, _mm_shuffle_epi8(high, index)));
}

// Converts the first width - width % 16 pixels of each row.
[[gnu::target("ssse3")]] void ConvertRowsShuffle(const PixelRows& rows, const std::uint32_t (&palette)[32]) {
  alignas(16) std::uint8_t tables[4][2][16];
  for (int plane = 0; plane < 4; ++plane) {
    for (int half = 0; half < 2; ++half) {
      for (int i = 0; i < 16; ++i) tables[plane][half][i] = static_cast<std::uint8_t>(palette[half * 16 + i] >> (8 * plane));
    }
  }
  __m128i low[4], high[4];
  for (int plane = 0; plane < 4; ++plane) {
    low[plane] = _mm_load_si128(reinterpret_cast<const __m128i*>(tables[plane][0]));
    high[plane] = _mm_load_si128(reinterpret_cast<const __m128i*>(tables[plane][1]));
  }
  const __m128i indexMask = _mm_set1_epi8(0x1F);
  const __m128i lowMask = _mm_set1_epi8(0x0F);
  const __m128i highBit = _mm_set1_epi8(0x10);
  const int bytesPerPixel = rows.bytesPerPixel;
  for (int y = 0; y < rows.height; ++y) {
    const std::uint8_t* source = rows.indexes + y * rows.indexPitch;
    auto* destination = reinterpret_cast<__m128i*>(rows.pixels + y * rows.pixelPitch);
    for (int x = 0; x + 16 <= rows.width; x += 16) {
      const __m128i raw = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x)), indexMask);
      const __m128i index = _mm_and_si128(raw, lowMask);
      const __m128i upper = _mm_cmpeq_epi8(_mm_and_si128(raw, highBit), highBit);
      const __m128i byte0 = LookUp(low[0], high[0], index, upper);
      const __m128i byte1 = LookUp(low[1], high[1], index, upper);
      if (bytesPerPixel == 2) {
        _mm_storeu_si128(destination++, _mm_unpacklo_epi8(byte0, byte1));
        _mm_storeu_si128(destination++, _mm_unpacklo_epi8(_mm_srli_si128(byte0, 8), _mm_srli_si128(byte1, 8)));
        continue;
      }
      const __m128i byte2 = LookUp(low[2], high[2], index, upper);
      const __m128i byte3 = LookUp(low[3], high[3], index, upper);
      const __m128i lowPairsA = _mm_unpacklo_epi8(byte0, byte1);
      const __m128i lowPairsB = _mm_unpackhi_epi8(byte0, byte1);
      const __m128i highPairsA = _mm_unpacklo_epi8(byte2, byte3);
      const __m128i highPairsB = _mm_unpackhi_epi8(byte2, byte3);
      _mm_storeu_si128(destination++, _mm_unpacklo_epi16(lowPairsA, highPairsA));
      _mm_storeu_si128(destination++, _mm_unpackhi_epi16(lowPairsA, highPairsA));
      _mm_storeu_si128(destination++, _mm_unpacklo_epi16(lowPairsB, highPairsB));
      _mm_storeu_si128(destination++, _mm_unpackhi_epi16(lowPairsB, highPairsB));
    }
  }
}

// Where the processor has AVX-512 (F and BW, checked once at run time), the
// whole palette fits in vector registers: 16 or 32 indexes widened to lanes
// pick their host pixels with one permute, which uses only the index's low
// five bits (the same masking to 0-31).
bool HasWidePermute() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has;
}

// Zero-extending byte indices. The masked forms with every lane chosen are
// the same instruction; the plain ones start from an undefined register,
// which GCC 12 reports as maybe uninitialised at -O2.
[[gnu::target("avx512f,avx512bw")]] inline __m512i Widen32(__m128i bytes) {
  return _mm512_maskz_cvtepu8_epi32(static_cast<__mmask16>(0xFFFF), bytes);
}
[[gnu::target("avx512f,avx512bw")]] inline __m512i Widen16(__m256i bytes) {
  return _mm512_maskz_cvtepu8_epi16(static_cast<__mmask32>(0xFFFFFFFFu), bytes);
}

// Converts the first width - width % 16 (4 bytes) or width - width % 32 (2
// bytes) pixels of each row; returns how many.
[[gnu::target("avx512f,avx512bw")]] int ConvertRowsPermute(const PixelRows& rows, const std::uint32_t (&palette)[32]) {
  if (rows.bytesPerPixel == 4) {
    const __m512i low = _mm512_loadu_si512(palette);
    const __m512i high = _mm512_loadu_si512(palette + 16);
    for (int y = 0; y < rows.height; ++y) {
      const std::uint8_t* source = rows.indexes + y * rows.indexPitch;
      std::uint8_t* destination = rows.pixels + y * rows.pixelPitch;
      for (int x = 0; x + 16 <= rows.width; x += 16) {
        const __m512i index = Widen32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x)));
        _mm512_storeu_si512(destination + x * 4, _mm512_permutex2var_epi32(low, index, high));
      }
    }
    return rows.width - rows.width % 16;
  }
  std::uint16_t words[32];
  for (int i = 0; i < 32; ++i) words[i] = static_cast<std::uint16_t>(palette[i]);
  const __m512i table = _mm512_loadu_si512(words);
  for (int y = 0; y < rows.height; ++y) {
    const std::uint8_t* source = rows.indexes + y * rows.indexPitch;
    std::uint8_t* destination = rows.pixels + y * rows.pixelPitch;
    for (int x = 0; x + 32 <= rows.width; x += 32) {
      const __m512i index = Widen16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + x)));
      _mm512_storeu_si512(destination + x * 2, _mm512_permutexvar_epi16(index, table));
    }
  }
  return rows.width - rows.width % 32;
}
#endif

// Pixels `from` to the end of each row, one at a time.
void ConvertRowsPlain(const PixelRows& rows, const std::uint32_t (&palette)[32], int from) {
  for (int y = 0; y < rows.height; ++y) {
    const std::uint8_t* source = rows.indexes + y * rows.indexPitch;
    std::uint8_t* destination = rows.pixels + y * rows.pixelPitch;
    if (rows.bytesPerPixel == 4) {
      for (int x = from; x < rows.width; ++x) {
        std::memcpy(destination + x * 4, &palette[source[x] & 0x1F], 4);
      }
    } else if (rows.bytesPerPixel == 2) {
      for (int x = from; x < rows.width; ++x) {
        const auto pixel = static_cast<std::uint16_t>(palette[source[x] & 0x1F]);
        std::memcpy(destination + x * 2, &pixel, 2);
      }
    } else {
      for (int x = from; x < rows.width; ++x) StorePixel(destination + x * 3, 3, palette[source[x] & 0x1F]);
    }
  }
}

}  // namespace

void ConvertPixelRows(const PixelRows& rows, const std::uint32_t (&palette)[32]) {
  int done = 0;
#if TAVRIN_SHUFFLE_CONVERT
  if (rows.bytesPerPixel != 3 && HasWidePermute()) {
    done = ConvertRowsPermute(rows, palette);
  } else if (rows.bytesPerPixel != 3 && HasShuffle()) {
    ConvertRowsShuffle(rows, palette);
    done = rows.width - rows.width % 16;
  }
#endif
  if (done < rows.width) ConvertRowsPlain(rows, palette, done);
}

void ConvertColourWordRows(const ColourWordRows& rows, PixelFormat format) {
  // Every 12-bit colour's host pixel: cheaper than the picture's conversion.
  static_assert(sizeof(std::uint32_t) * 4096 <= 16384, "the table stays small enough for the stack");
  std::uint32_t table[4096];
  for (std::uint32_t word = 0; word < 4096; ++word) {
    table[word] = ColourPixel(ColourWordRgb(static_cast<std::uint16_t>(word)), format);
  }
  for (int y = 0; y < rows.height; ++y) {
    const std::uint16_t* source = rows.colours + y * rows.colourPitch;
    std::uint8_t* destination = rows.pixels + y * rows.pixelPitch;
    for (int x = 0; x < rows.width; ++x) {
      StorePixel(destination + x * rows.bytesPerPixel, rows.bytesPerPixel, table[source[x] & 0x0FFF]);
    }
  }
}
