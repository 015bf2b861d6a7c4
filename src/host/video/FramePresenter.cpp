// End of frame on the host: the frame-rate figure, and the conversion of the
// indexed frame into the back surface through the colour RAM.
#include "host/video/FramePresenter.h"

#include <cstring>

#include "host/video/ColourConversion.h"
#include "host/video/DxCheck.h"
#include "host/video/MillisecondClock.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TAVRIN_SHUFFLE_CONVERT 1
#endif
#include "host/video/PauseOverlay.h"

namespace {

// Digits 0-9, 8 x 8, top row first; bit 0x80 is the leftmost pixel.
constexpr std::uint8_t kDigitGlyphs[10][8] = {
    {0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00},
    {0x00, 0x08, 0x18, 0x08, 0x08, 0x08, 0x1C, 0x00},
    {0x00, 0x7E, 0x02, 0x3E, 0x40, 0x40, 0x7E, 0x00},
    {0x00, 0x7E, 0x02, 0x0E, 0x02, 0x02, 0x7E, 0x00},
    {0x00, 0x0C, 0x14, 0x24, 0x7E, 0x04, 0x04, 0x00},
    {0x00, 0x7E, 0x40, 0x7C, 0x02, 0x02, 0x7E, 0x00},
    {0x00, 0x7E, 0x40, 0x7E, 0x42, 0x42, 0x7E, 0x00},
    {0x00, 0x7E, 0x02, 0x04, 0x08, 0x10, 0x20, 0x00},
    {0x00, 0x7E, 0x42, 0x7E, 0x42, 0x42, 0x7E, 0x00},
    {0x00, 0x7E, 0x42, 0x7E, 0x02, 0x02, 0x02, 0x00},
};

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

[[gnu::target("ssse3")]] void ConvertRowsShuffle(const std::uint8_t* frame, const SurfaceLock& lock,
                                                 const std::uint32_t (&palette)[32], int bytesPerPixel) {
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
  for (int y = 0; y < FramePresenter::kHeight; ++y) {
    const std::uint8_t* source = frame + y * FramePresenter::kWidth;
    auto* destination = reinterpret_cast<__m128i*>(lock.bits + static_cast<std::ptrdiff_t>(y) * lock.pitch);
    for (int x = 0; x < FramePresenter::kWidth; x += 16) {
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

[[gnu::target("avx512f,avx512bw")]] void ConvertRowsPermute(const std::uint8_t* frame, const SurfaceLock& lock,
                                                          const std::uint32_t (&palette)[32], int bytesPerPixel) {
  if (bytesPerPixel == 4) {
    const __m512i low = _mm512_loadu_si512(palette);
    const __m512i high = _mm512_loadu_si512(palette + 16);
    for (int y = 0; y < FramePresenter::kHeight; ++y) {
      const std::uint8_t* source = frame + y * FramePresenter::kWidth;
      std::uint8_t* destination = lock.bits + static_cast<std::ptrdiff_t>(y) * lock.pitch;
      for (int x = 0; x < FramePresenter::kWidth; x += 16) {
        const __m512i index = Widen32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x)));
        _mm512_storeu_si512(destination + x * 4, _mm512_permutex2var_epi32(low, index, high));
      }
    }
    return;
  }
  std::uint16_t words[32];
  for (int i = 0; i < 32; ++i) words[i] = static_cast<std::uint16_t>(palette[i]);
  const __m512i table = _mm512_loadu_si512(words);
  for (int y = 0; y < FramePresenter::kHeight; ++y) {
    const std::uint8_t* source = frame + y * FramePresenter::kWidth;
    std::uint8_t* destination = lock.bits + static_cast<std::ptrdiff_t>(y) * lock.pitch;
    for (int x = 0; x < FramePresenter::kWidth; x += 32) {
      const __m512i index = Widen16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + x)));
      _mm512_storeu_si512(destination + x * 2, _mm512_permutexvar_epi16(index, table));
    }
  }
}
#endif

}  // namespace

void FramePresenter::Present(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGear) {
  // Without a back surface (the host could not make one) there is nothing to
  // draw into or present.
  if (!display || !display->HasSurfaces()) return;
  if (DxCheck(display->LockBack(lockDesc), "Back Lock")) return;
  Convert(frame, colourRam, gameGear, lockDesc, display->depth, display->is565 != 0);
  if (paused) DrawPauseOverlay(lockDesc, display->depth, display->is565 != 0, display->picture);
  if (showFrameRate) {
    // In the visible picture's top-left corner (the Game Gear shows less).
    SurfaceLock corner = lockDesc;
    const PictureRect& picture = display->picture;
    if (corner.bits && picture.x >= 0 && picture.y >= 0 && picture.x + 24 <= kWidth && picture.y + 8 <= kHeight) {
      corner.bits += static_cast<std::ptrdiff_t>(picture.y) * corner.pitch +
                     static_cast<std::ptrdiff_t>(picture.x) * BackBytesPerPixel(display->depth);
    }
    DrawFrameRate(corner, display->depth, display->is565 != 0, frameRate);
  }
  note.Draw(lockDesc, display->depth, display->is565 != 0, MillisecondsNow());
  if (DxCheck(display->UnlockBack(), "Back Unlock")) return;
  display->Present();
}

void FramePresenter::Convert(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGear,
                             const SurfaceLock& lock, int depth, bool is565) {
  const int bytesPerPixel = BackBytesPerPixel(depth);
  // A lock that hands back no memory, or rows too short for the picture,
  // gets nothing written rather than a write past its end.
  if (!lock.bits || lock.pitch < kWidth * bytesPerPixel) return;
  std::uint32_t palette[32];
  ConvertPalette(colourRam, gameGear, PixelFormatFor(depth, is565), palette);
#if TAVRIN_SHUFFLE_CONVERT
  if (bytesPerPixel != 3 && HasWidePermute()) {
    ConvertRowsPermute(frame, lock, palette, bytesPerPixel);
    return;
  }
  if (bytesPerPixel != 3 && HasShuffle()) {
    ConvertRowsShuffle(frame, lock, palette, bytesPerPixel);
    return;
  }
#endif

  for (int y = 0; y < kHeight; ++y) {
    const std::uint8_t* source = frame + y * kWidth;
    std::uint8_t* destination = lock.bits + static_cast<std::ptrdiff_t>(y) * lock.pitch;
    if (bytesPerPixel == 2) {
      std::uint16_t row[kWidth];
      for (int x = 0; x < kWidth; ++x) row[x] = static_cast<std::uint16_t>(palette[source[x] & 0x1F]);
      std::memcpy(destination, row, sizeof row);
    } else if (bytesPerPixel == 4) {
      std::uint32_t row[kWidth];
      for (int x = 0; x < kWidth; ++x) row[x] = palette[source[x] & 0x1F];
      std::memcpy(destination, row, sizeof row);
    } else {
      for (int x = 0; x < kWidth; ++x) StorePixel(destination + x * 3, 3, palette[source[x] & 0x1F]);
    }
  }
}

void FramePresenter::DrawFrameRate(const SurfaceLock& lock, int depth, bool is565, int rate) {
  const int bytesPerPixel = BackBytesPerPixel(depth);
  if (!lock.bits || lock.pitch < kWidth * bytesPerPixel) return;
  if (rate < 0) rate = 0;
  if (rate > 999) rate = 999;  // three digits are all there is room for
  const PixelFormat format = PixelFormatFor(depth, is565);
  const std::uint32_t white = ColourPixel(0xFFFFFF, format);
  const std::uint32_t black = ColourPixel(0x000000, format);
  const int digits[3] = {rate / 100, (rate / 10) % 10, rate % 10};
  for (int row = 0; row < 8; ++row) {
    std::uint8_t* line = lock.bits + static_cast<std::ptrdiff_t>(row) * lock.pitch;
    for (int column = 0; column < 24; ++column) {
      const bool lit = (kDigitGlyphs[digits[column / 8]][row] & (0x80 >> (column % 8))) != 0;
      StorePixel(line + column * bytesPerPixel, bytesPerPixel, lit ? white : black);
    }
  }
}
