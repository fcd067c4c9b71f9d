#pragma once

// The scans over text that reading a letter file spends its time in. Each has
// a plain version, which defines it, and a vectorised one that must give the
// same result for every input (tst_text_scans compares them); the one used is
// chosen at the end of this file. Each vectorised one stays because
// bench_lookup shows it pays: a lookup in the German-English s.txt took
// 1.97 to 2.05 ms of processor time with them and 9.6 to 10.0 ms with the
// plain ones (three runs of each, alternated), and the
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
#include <cstring>

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

/// Which of the 64 characters at @p data are a double quote, LF or CR: bit i
/// for data[i].
inline quint64 quotesAndBreaks64(const char16_t *data)
{
    quint64 bits = 0;
    for (int i = 0; i < 64; ++i) {
        const char16_t ch = data[i];
        if (ch == u'"' || ch == u'\n' || ch == u'\r')
            bits |= quint64(1) << i;
    }
    return bits;
}

} // namespace plain

#ifdef __SSE2__
namespace sse2 {

// Sixty-four characters a step, as sixteen narrowed to bytes: a character
// past 0xFF becomes 0xFF, or 0 from 0x8000 on, and neither is an ASCII
// delimiter. Most fields end within one step, so the processor mostly
// foresees where the loop ends: 11 % less time a lookup than sixteen a step,
// for 13 % more instructions. With quotesAndBreaks64(), splitting records,
// 34 million instructions against 9.5 million.
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
    const auto hitsIn16 = [&](qsizetype at) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at + 8));
        return hitsIn(_mm_packus_epi16(low, high));
    };
    for (; pos + 64 <= size; pos += 64) {
        quint64 mask = hitsIn16(pos);
        for (int k = 16; k < 64; k += 16)
            mask |= quint64(hitsIn16(pos + k)) << k;
        if (mask != 0)
            return pos + std::countr_zero(mask);
    }
    for (; pos + 16 <= size; pos += 16) {
        if (const unsigned mask = hitsIn16(pos); mask != 0)
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

// Sixteen characters at a time, the last sixteen overlapping what was copied
// (and copying it again, the same); a shorter text as two blocks of eight or
// of four that overlap. So the number of steps, which the processor cannot
// foresee, is as small as it can be: keeping the listing's texts, 17.7
// million instructions against 6.5 million.
inline bool toLatin1(QStringView text, char *dst)
{
    const auto *src = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF00));
    const __m128i zero = _mm_setzero_si128();
    const auto narrow = [&](__m128i a) { return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(a, high), zero)); };
    // The checks of two blocks are joined by '&', not '&&', which would add a branch.
    const auto copy4 = [&](qsizetype at) -> int {
        const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(src + at));
        const int bits = _mm_cvtsi128_si32(_mm_packus_epi16(a, a));
        std::memcpy(dst + at, &bits, 4);
        return (narrow(a) & 0xFF) == 0xFF;
    };
    const auto copy8 = [&](qsizetype at) -> int {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + at));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + at), _mm_packus_epi16(a, a));
        return narrow(a) == 0xFFFF;
    };
    const auto copy16 = [&](qsizetype at) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + at + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + at), _mm_packus_epi16(a, b));
        return narrow(_mm_or_si128(a, b)) == 0xFFFF;
    };
    if (size < 4)
        return plain::toLatin1(text, dst);
    if (size < 8)
        return (copy4(0) & copy4(size - 4)) != 0;
    if (size < 16)
        return (copy8(0) & copy8(size - 8)) != 0;
    for (qsizetype at = 0; at < size - 16; at += 16) {
        if (!copy16(at))
            return false;
    }
    return copy16(size - 16);
}

// Sixteen bytes at a time: decoding UTF-8, 28 million instructions against
// 3.7 million.
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

// Sixteen characters at a time, narrowed to bytes as in indexOfAny().
inline quint64 quotesAndBreaks64(const char16_t *data)
{
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    quint64 bits = 0;
    for (int i = 0; i < 64; i += 16) {
        const __m128i bytes = _mm_packus_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i)),
                                               _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i + 8)));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(bytes, quote),
                                          _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)));
        bits |= quint64(static_cast<unsigned>(_mm_movemask_epi8(hits))) << i;
    }
    return bits;
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
