#pragma once

// The scans over text that reading a letter file spends its time in. Each has
// a plain version, which defines it, and a vectorised one that must give the
// same result for every input (tst_text_scans compares them); the one used is
// chosen at the end of this file. Each vectorised one stays because
// bench_lookup shows it pays: a lookup in the German-English s.txt took
// 5.1 to 5.3 ms of processor time with them and 10.3 to 11.1 ms with the
// plain ones (three runs of each, alternated, on a busy machine), and the
// figures beside each are the instructions per lookup of the function that
// uses it, plain against vectorised, counted by callgrind. To measure again:
//   cmake -B build/release-plain -G Ninja -DCMAKE_BUILD_TYPE=Release -DLEXORRA_BUILD_GUI=OFF
//     -DCMAKE_CXX_FLAGS=-DLEXORRA_PLAIN_TEXT_SCANS
//   cmake --build build/release-plain --target bench_lookup
//   build/release-plain/bench/bench_lookup --no-large     (and build/release/bench/bench_lookup)
//   valgrind --tool=callgrind build/release-plain/bench/bench_lookup --no-large

#include <QStringView>

#include <algorithm>
#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lexorra::dictionary {

namespace plain {

/// The first position from @p pos on whose character is @p a, @p b or @p c,
/// or @p size when there is none. The three are ASCII characters other than
/// NUL, as the delimiters of a letter file are.
inline qsizetype indexOfAny(const char16_t *data, qsizetype pos, qsizetype size, char16_t a, char16_t b, char16_t c)
{
    for (; pos < size; ++pos) {
        const char16_t ch = data[pos];
        if (ch == a || ch == b || ch == c)
            return pos;
    }
    return size;
}

/// Copies @p text to @p dst as Latin-1 when every character of it is
/// Latin-1; false when one is not (@p dst then holds anything).
inline bool toLatin1(QStringView text, char *dst)
{
    const auto *src = reinterpret_cast<const char16_t *>(text.utf16());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (src[i] > 0xFF)
            return false;
        dst[i] = static_cast<char>(src[i]);
    }
    return true;
}

/// Copies the ASCII bytes at the start of the @p size bytes at @p src to
/// @p dst as UTF-16 and returns how many there are. @p dst has room for
/// @p size characters; past the count it may hold anything.
inline qsizetype widenAscii(const unsigned char *src, qsizetype size, char16_t *dst)
{
    qsizetype i = 0;
    for (; i < size && src[i] < 0x80; ++i)
        dst[i] = src[i];
    return i;
}

} // namespace plain

#ifdef __SSE2__
namespace sse2 {

// Sixteen characters at a time, narrowed to bytes first: a character past
// 0xFF becomes 0xFF, or 0 from 0x8000 on, and neither is an ASCII delimiter.
// Splitting fields, 23 million instructions against 11 million.
inline qsizetype indexOfAny(const char16_t *data, qsizetype pos, qsizetype size, char16_t a, char16_t b, char16_t c)
{
    const __m128i wantA = _mm_set1_epi8(static_cast<char>(a));
    const __m128i wantB = _mm_set1_epi8(static_cast<char>(b));
    const __m128i wantC = _mm_set1_epi8(static_cast<char>(c));
    const auto hitsIn = [&](__m128i bytes) {
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, wantA), _mm_cmpeq_epi8(bytes, wantB)),
                                          _mm_cmpeq_epi8(bytes, wantC));
        return static_cast<unsigned>(_mm_movemask_epi8(hits));
    };
    for (; pos + 16 <= size; pos += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos + 8));
        if (const unsigned mask = hitsIn(_mm_packus_epi16(low, high)); mask != 0)
            return pos + std::countr_zero(mask);
    }
    if (pos + 8 <= size) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos));
        if (const unsigned mask = hitsIn(_mm_packus_epi16(low, low)) & 0xFF; mask != 0)
            return pos + std::countr_zero(mask);
        pos += 8;
    }
    return plain::indexOfAny(data, pos, size, a, b, c);
}

// Sixteen characters at a time, and the last up to fifteen as eight that
// may overlap what was copied (and copy it again, the same): keeping the
// listing's texts, 17 million instructions against 10 million.
inline bool toLatin1(QStringView text, char *dst)
{
    const auto *src = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    if (size < 8)
        return plain::toLatin1(text, dst);
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF00));
    const __m128i zero = _mm_setzero_si128();
    qsizetype i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 8));
        const __m128i wide = _mm_and_si128(_mm_or_si128(a, b), high);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(wide, zero)) != 0xFFFF)
            return false;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_packus_epi16(a, b));
    }
    while (i < size) {
        const qsizetype at = std::min(i, size - 8);
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + at));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(a, high), zero)) != 0xFFFF)
            return false;
        _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + at), _mm_packus_epi16(a, a));
        i = at + 8;
    }
    return true;
}

// Sixteen bytes at a time: decoding UTF-8, 24 million instructions against
// 3.1 million.
inline qsizetype widenAscii(const unsigned char *src, qsizetype size, char16_t *dst)
{
    const __m128i zero = _mm_setzero_si128();
    qsizetype i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i + 8), _mm_unpackhi_epi8(chunk, zero));
        // All sixteen were written; only those before the first non-ASCII
        // byte count.
        const auto nonAscii = static_cast<unsigned>(_mm_movemask_epi8(chunk));
        if (nonAscii != 0)
            return i + std::countr_zero(nonAscii);
    }
    return i + plain::widenAscii(src + i, size - i, dst + i);
}

} // namespace sse2
#endif

// The versions the reading uses.
#if defined(__SSE2__) && !defined(LEXORRA_PLAIN_TEXT_SCANS)
namespace fast = sse2;
#else
namespace fast = plain;
#endif

} // namespace lexorra::dictionary
