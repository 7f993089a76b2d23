// Scanning primitives for the OBJ and MTL readers.  They read text in
// memory exactly as the C library's formatted input reads a stream: the same
// characters make a token or a number, the same characters are consumed when
// a conversion fails, and floats are correctly rounded as strtof rounds them.
//
// The hot scanners come in paths: a scalar one for every processor, and on
// x86-64 one with SSE2 vectors (16 bytes at a time) and one that also
// searches long lines with AVX2 (32 bytes at a time) when the processor has
// it.  Every path gives the same results; activePath() says which one the
// readers take, and usePath() makes them take another (the tests and the
// fuzzers compare them).
#pragma once

#include <atomic>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#if defined(__x86_64__) && defined(__SSE2__)
#include <immintrin.h>
#define GLM_SCAN_X86 1
#else
#define GLM_SCAN_X86 0
#endif

namespace glmscan {

#define GLM_HOT inline __attribute__((always_inline))

enum class Path : unsigned char { Scalar, Sse2, Avx2 };

// Whether this processor can take `path`.
inline bool pathAvailable(Path path)
{
    switch (path) {
    case Path::Scalar:
        return true;
    case Path::Sse2:
        return GLM_SCAN_X86;
    case Path::Avx2:
#if GLM_SCAN_X86
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    }
    return false;
}

// The path usePath chose, or -1: the widest there is.
inline std::atomic<int> chosenPath{-1};

// The path the readers take.
inline Path activePath()
{
    int chosen = chosenPath.load(std::memory_order_relaxed);
    if (chosen >= 0)
        return static_cast<Path>(chosen);
    static const Path best = pathAvailable(Path::Avx2)   ? Path::Avx2
                             : pathAvailable(Path::Sse2) ? Path::Sse2
                                                         : Path::Scalar;
    return best;
}

// Makes the readers take `path` from their next chunk on; false, and
// nothing changes, when the processor cannot take it.
inline bool usePath(Path path)
{
    if (!pathAvailable(path))
        return false;
    chosenPath.store(static_cast<int>(path), std::memory_order_relaxed);
    return true;
}

// Back to the widest path the processor has.
inline void useBestPath() { chosenPath.store(-1, std::memory_order_relaxed); }

// White space as isspace() sees it in the C locale.
inline bool isSpace(char c)
{
    // Bits 9 to 13 (tab, line feed, vertical tab, form feed, return) and 32.
    auto u = static_cast<unsigned char>(c);
    return u <= ' ' && ((0x100003E00ULL >> u) & 1);
}
inline bool isDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Eight characters at a time: x is 8 bytes of text XOR "00000000", first
// character in the lowest byte, so a digit byte holds its value 0..9.  How
// many of them, from the first, are digits; and the value of the first n
// (1..8) of them.
//
// leadingDigits: adding 0x76 to a byte's low seven bits sets its top bit
// exactly when the byte is above 9; or-ing x back in catches bytes that had
// the top bit already.  The first byte so marked ends the digits.
//
// digitsValue combines the digits pairwise, SWAR style.  Shifting the n
// digits to the top of the word puts the last digit in byte 7 and zero
// bytes (leading zeros) below the first.  x * 10 + (x >> 8) then holds in
// each even byte 2k the two-digit number of bytes 2k and 2k + 1 (at most
// 99, so no carry).  The mask 0x000000FF000000FF picks the pairs of bytes 0
// and 4, and after a shift by 16 those of bytes 2 and 6.  One multiply per
// two pairs weighs them and sums them into the top 32 bits: 0xF4240 =
// 1000000 for byte 0 and 0x64 = 100 for byte 4; 0x2710 = 10000 for byte 2
// and 1 for byte 6.
GLM_HOT unsigned leadingDigits(std::uint64_t x)
{
    std::uint64_t low = x & 0x7F7F7F7F7F7F7F7FULL;  // no carry between bytes below
    std::uint64_t other = (x | (low + 0x7676767676767676ULL)) & 0x8080808080808080ULL;
    return other ? static_cast<unsigned>(std::countr_zero(other)) >> 3 : 8;
}
GLM_HOT std::uint64_t digitsValue(std::uint64_t x, unsigned n)
{
    x <<= 8 * (8 - n);  // leading zeros in place of what follows the digits
    x = x * 10 + (x >> 8);
    const std::uint64_t mask = 0x000000FF000000FFULL;
    return (((x & mask) * 0x000F424000000064ULL) + (((x >> 16) & mask) * 0x0000271000000001ULL)) >> 32;
}
GLM_HOT std::uint64_t load8(const char* p)
{
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    return x ^ 0x3030303030303030ULL;
}

inline constexpr std::uint64_t INTEGER_POWERS_OF_TEN[] = {1,      10,      100,      1000,     10000,
                                                          100000, 1000000, 10000000, 100000000};

// Appends the digits at s to `value` (wrapping past 19 digits) and returns
// the end of the run.
GLM_HOT const char* readDigitsByChar(const char* s, const char* end, std::uint64_t& value)
{
    while (s < end && isDigit(*s))
        value = value * 10 + static_cast<unsigned>(*s++ - '0');
    return s;
}
GLM_HOT const char* readDigits(const char* s, const char* end, std::uint64_t& value)
{
    while (end - s >= 8) {
        std::uint64_t x = load8(s);
        unsigned n = leadingDigits(x);
        if (n == 0)
            return s;
        value = value * INTEGER_POWERS_OF_TEN[n] + digitsValue(x, n);
        s += n;
        if (n < 8)
            return s;
    }
    while (s < end && isDigit(*s))
        value = value * 10 + static_cast<unsigned>(*s++ - '0');
    return s;
}

GLM_HOT const char* skipSpace(const char* p, const char* end)
{
    while (p < end && isSpace(*p))
        p++;
    return p;
}

// "%s": the next run of non-blank characters; empty at the end of the text.
GLM_HOT std::string_view token(const char*& p, const char* end)
{
    p = skipSpace(p, end);
    const char* start = p;
    while (p < end && !isSpace(*p))
        p++;
    return {start, static_cast<std::size_t>(p - start)};
}

#if GLM_SCAN_X86
// The first line feed in [p, end), 32 bytes at a time, or null.  Out of
// line: only a function of its own may use AVX2 instructions.
__attribute__((target("avx2"), noinline)) inline const char* findNewlineAvx2(const char* p, const char* end)
{
    const __m256i lf = _mm256_set1_epi8('\n');
    for (; end - p >= 32; p += 32) {
        auto bits = static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), lf)));
        if (bits)
            return p + std::countr_zero(bits);
    }
    for (; p < end; p++)
        if (*p == '\n')
            return p;
    return nullptr;
}
#endif

// The first line feed in [p, end), or null.  The vector paths look at 16
// bytes at a time, as many as most lines hold, in place; past them AVX2
// takes 32 at a time when it is the active path (the statement loop is one
// for both vector paths: they differ in long lines only).  The bytes after
// `end` are never read.
template <Path P>
GLM_HOT const char* findNewline(const char* p, const char* end)
{
#if GLM_SCAN_X86
    if constexpr (P != Path::Scalar) {
        const __m128i lf = _mm_set1_epi8('\n');
        for (; end - p >= 16; p += 16) {
            auto bits = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf)));
            if (bits)
                return p + std::countr_zero(bits);
            if (P == Path::Avx2 || activePath() == Path::Avx2)
                return findNewlineAvx2(p + 16, end);
        }
        for (; p < end; p++)
            if (*p == '\n')
                return p;
        return nullptr;
    }
#endif
    return static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
}

// findNewline on the active path.
inline const char* findNewlineAnyPath(const char* p, const char* end)
{
    switch (activePath()) {
    case Path::Avx2:
        return findNewline<Path::Avx2>(p, end);
    case Path::Sse2:
        return findNewline<Path::Sse2>(p, end);
    case Path::Scalar:
        break;
    }
    return findNewline<Path::Scalar>(p, end);
}

// Moves p past the next line feed (or to the end).
template <Path P = Path::Scalar>
GLM_HOT void skipLine(const char*& p, const char* end)
{
    if (p < end && *p == '\n') {
        p++;
        return;
    }
    const char* lf = findNewline<P>(p, end);
    p = lf ? lf + 1 : end;
}

// The rest of the current line without its line break ("\n" or "\r\n");
// p moves past the line feed.
template <Path P = Path::Scalar>
inline std::string_view restOfLine(const char*& p, const char* end)
{
    const char* start = p;
    const char* lf = findNewline<P>(p, end);
    const char* stop = lf ? lf : end;
    p = lf ? stop + 1 : end;
    if (stop > start && stop[-1] == '\r')
        stop--;
    return {start, static_cast<std::size_t>(stop - start)};
}

// The first word of a piece of text, or an empty view when there is none.
inline std::string_view firstWord(std::string_view text)
{
    const char* p = text.data();
    return token(p, text.data() + text.size());
}

// "%ld": optional white space, an optional sign and decimal digits; values
// beyond the range of long saturate as strtol does.  On failure the white
// space and a lone sign stay consumed, as with the C library.  Without
// `SkipSpace` a blank ends the text as the end of a string would.
template <bool SkipSpace = true, Path P = Path::Scalar>
GLM_HOT bool scanLong(const char*& p, const char* end, long& out)
{
#if GLM_SCAN_X86
    // The vector paths read most references, one blank at most and 1 to 8
    // digits, from one 16-byte load; the rest take the scalar reading.
    if constexpr (P != Path::Scalar) {
        if (end - p >= 17) [[likely]] {
            const char* s = p;
            if constexpr (SkipSpace)
                s += *s == ' ';
            const __m128i offset =
                _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)), _mm_set1_epi8('0'));
            const auto digits = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(9)), offset)));
            const auto n = static_cast<unsigned>(__builtin_ctz(~digits));  // ~digits: never 0
            if (n - 1 < 8) {
                out = static_cast<long>(digitsValue(load8(s), n));
                p = s + n;
                return true;
            }
        }
    }
#endif
    if constexpr (SkipSpace)
        p = skipSpace(p, end);
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        p++;
    }
    if (p >= end || !isDigit(*p))
        return false;
    const char* start = p;
    std::uint64_t value = 0;
    // Up to seven digits, as most references are, come from one load.
    unsigned n = end - p >= 8 ? leadingDigits(load8(p)) : 0;
    if (n - 1 < 7) {
        value = digitsValue(load8(p), n);
        p += n;
    } else {
        p = readDigits(p, end, value);
    }
    constexpr std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<long>::max());
    if (p - start > 18) {  // might not fit: redo with saturation
        value = 0;
        for (const char* d = start; d < p; d++) {
            unsigned digit = static_cast<unsigned>(*d - '0');
            if (value > (limit + 1 - digit) / 10) {
                value = limit + 2;  // beyond both limits
                break;
            }
            value = value * 10 + digit;
        }
    }
    if (negative)
        out = value > limit + 1 ? std::numeric_limits<long>::min() : static_cast<long>(0 - value);
    else
        out = value > limit ? std::numeric_limits<long>::max() : static_cast<long>(value);
    return true;
}

#if GLM_SCAN_X86
// The references of most face corners, "v/t/n" with 1 to 8 digits each
// and no sign, after one blank at most: what three scanLong and two
// matchChar('/') calls read, from the digits' mask of one 32-byte stretch.
// False, p unchanged, for any other text.  The 33 bytes from p must be
// readable.
GLM_HOT bool scanReferenceTriple(const char*& p, long& v, long& t, long& n)
{
    const char* s = p + (*p == ' ');
    const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9);
    const __m128i low = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)), zero);
    const __m128i high = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16)), zero);
    const std::uint64_t digits = static_cast<std::uint64_t>(
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(low, nine), low))) |
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(high, nine), high))) << 16);
    // Runs of digits from each start; bits 32 and up of ~digits end every run.
    const auto a = static_cast<unsigned>(std::countr_zero(~digits));
    if (a - 1 >= 8 || s[a] != '/')
        return false;
    const auto b = static_cast<unsigned>(std::countr_zero(~(digits >> (a + 1))));
    if (b - 1 >= 8 || s[a + 1 + b] != '/')
        return false;
    const auto c = static_cast<unsigned>(std::countr_zero(~(digits >> (a + b + 2))));
    if (c - 1 >= 8)
        return false;
    v = static_cast<long>(digitsValue(load8(s), a));
    t = static_cast<long>(digitsValue(load8(s + a + 1), b));
    n = static_cast<long>(digitsValue(load8(s + a + b + 2), c));
    p = s + a + b + c + 2;
    return true;
}
#endif

GLM_HOT bool matchChar(const char*& p, const char* end, char c)
{
    if (p < end && *p == c) {
        p++;
        return true;
    }
    return false;
}

// Converts [start, stop), a number text without its sign, exactly as
// strtof converts its longest valid prefix.
inline float convertSlow(const char* start, const char* stop, bool hex)
{
    float value = 0;
    auto result = std::from_chars(start, stop, value, hex ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow and underflow: strtof gives infinity or the rounded tiny value.
        std::string copy(hex ? "0x" : "");
        copy.append(start, stop);
        value = std::strtof(copy.c_str(), nullptr);
    }
    return value;
}

// 10^-22 .. 10^22: POWERS_OF_TEN_AROUND[22 + k] is 10^k, exact for k >= 0
// and the double nearest it for k < 0.
inline constexpr double POWERS_OF_TEN_AROUND[] = {
    1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9, 1e-8,
    1e-7,  1e-6,  1e-5,  1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,   1e2,   1e3,   1e4,   1e5,   1e6,  1e7,
    1e8,   1e9,   1e10,  1e11,  1e12,  1e13,  1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21, 1e22};

// scanFloat's rare cases, from the character after the sign: "nan",
// "inf", "infinity" (any case) and hexadecimal numbers.
inline bool scanFloatSpecial(const char*& p, const char* s, const char* end, bool negative, float& out)
{
    char c = *s;
    if (c == 'n' || c == 'N' || c == 'i' || c == 'I') {
        auto matchWord = [&](const char* word) {
            for (const char* w = word; *w; w++, s++)
                if (s >= end || (*s | 0x20) != *w)
                    return false;
            return true;
        };
        float value;
        if (c == 'n' || c == 'N') {
            if (!matchWord("nan"))
                return false;
            value = std::numeric_limits<float>::quiet_NaN();
        } else {
            if (!matchWord("inf"))
                return false;
            if (s < end && (*s | 0x20) == 'i' && !matchWord("inity"))
                return false;
            value = std::numeric_limits<float>::infinity();
        }
        out = negative ? -value : value;
        p = s;
        return true;
    }
    if (c == '0' && s + 1 < end && (s[1] | 0x20) == 'x') {
        const char* digits = s + 2;
        const char* q = digits;
        bool anyDigit = false, point = false;
        for (; q < end; q++) {
            char h = *q;
            if (isDigit(h) || ((h | 0x20) >= 'a' && (h | 0x20) <= 'f'))
                anyDigit = true;
            else if (h == '.' && !point)
                point = true;
            else
                break;
        }
        if (!anyDigit)
            return false;
        if (q < end && (*q | 0x20) == 'p') {
            q++;
            if (q < end && (*q == '+' || *q == '-'))
                q++;
            while (q < end && isDigit(*q))
                q++;
        }
        float value = convertSlow(digits, q, true);
        out = negative ? -value : value;
        p = q;
        return true;
    }
    return false;
}

// 10^0 .. 10^10, every one an exact float.
inline constexpr float FLOAT_POWERS_OF_TEN[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The float nearest mantissa * 10^exponent, `count` the number of digits of
// the mantissa as written (past 19 it may have wrapped), [start, stop) the
// number's text for the exact conversion of the rare hard cases.
GLM_HOT float convertDecimal(std::uint64_t mantissa, long count, int exponent, const char* start, const char* stop)
{
    float value;
    if (count > 19) {
        value = convertSlow(start, stop, false);  // the mantissa may have wrapped
    } else if (mantissa <= (std::uint64_t{1} << 24) && exponent >= -10 && exponent <= 10) {
        // Both the mantissa and 10^|exponent| are exact floats: one
        // correctly rounded division or product is the value strtof gives.
        const float m = static_cast<float>(mantissa);
        value = exponent < 0 ? m / FLOAT_POWERS_OF_TEN[-exponent] : m * FLOAT_POWERS_OF_TEN[exponent];
    } else if (mantissa == 0) {
        value = 0.0f;
    } else if (mantissa <= (std::uint64_t{1} << 53) && exponent >= -22 && exponent <= 22) {
        // The mantissa is an exact double.  A product with an exact power of
        // ten, or with the double nearest a negative power (a multiply is
        // far cheaper than a divide), is within 2 units in the last place
        // of the double of the true value x.  Rounding to float can only
        // differ between x and d when a point halfway between two floats
        // lies between them; those points end in the 29 bits 1 << 28 in
        // double form (the result is a normal float here: at least 1e-22,
        // at most 2^53 * 1e22), so a d within 16 units of one takes the
        // exact conversion instead.
        double d = static_cast<double>(mantissa);
        d *= POWERS_OF_TEN_AROUND[22 + exponent];
        std::uint64_t low = std::bit_cast<std::uint64_t>(d) & ((std::uint64_t{1} << 29) - 1);
        if (low - ((std::uint64_t{1} << 28) - 16) <= 32)
            value = convertSlow(start, stop, false);
        else
            value = static_cast<float>(d);
    } else {
        value = convertSlow(start, stop, false);
    }
    return value;
}

#if GLM_SCAN_X86
// The number most texts hold, an optional minus, 1 to 6 digits, a point and
// 1 to 6 digits, at most 7 digits in all and no exponent, as "-0.123456"
// is; false, p unchanged, for any other text.  The 17 bytes from p (and
// the byte after the number) must be readable.
//
// The digits' mask of one 16-byte load tells where the point and the end
// are.  The point and the digits then sit in one word: the digits after the
// point move down a byte over it, and one conversion gives the mantissa,
// below 10^7 and so an exact float, as 10^fraction is: one correctly
// rounded division is the value strtof gives.
GLM_HOT bool scanShortFloat(const char*& p, float& out)
{
    const char* s = p;
    const bool negative = *s == '-';
    s += negative;
    const __m128i offset = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)), _mm_set1_epi8('0'));
    const auto digits =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(9)), offset)));
    const auto whole = static_cast<unsigned>(__builtin_ctz(~digits));  // ~digits: never 0
    const auto fraction = static_cast<unsigned>(__builtin_ctz(~(digits >> (whole + 1))));
    const unsigned stop = whole + 1 + fraction;
    if (!(stop <= 8 && whole != 0 && fraction != 0 && s[whole] == '.' && (s[stop] | 0x20) != 'e'))
        return false;
    const std::uint64_t x = load8(s);
    const std::uint64_t low = (std::uint64_t{1} << (8 * whole)) - 1;  // whole <= 6
    const std::uint64_t mantissa = digitsValue((x & low) | ((x >> 8) & ~low), whole + fraction);
    const float value = static_cast<float>(static_cast<std::uint32_t>(mantissa)) / FLOAT_POWERS_OF_TEN[fraction];
    out = negative ? -value : value;
    p = s + stop;
    return true;
}
#endif

// "%f" on text that has no white space before the number: consumes what the
// C library consumes and gives the value strtof gives.  False when the text
// does not start a number.
template <Path P = Path::Scalar>
GLM_HOT bool scanFloat(const char*& p, const char* end, float& out)
{
#if GLM_SCAN_X86
    // The vector paths read most numbers, an optional sign, 1 to 8 digits, a
    // point and 1 to 8 digits with no exponent, from one 16-byte load: the
    // digits' mask tells where the point and the end are.  Any other text,
    // and the last bytes of the text, take the scalar reading.
    if constexpr (P != Path::Scalar) {
        if (end - p >= 18) [[likely]] {
            if (scanShortFloat(p, out))
                return true;
            const char* s = p;
            const bool negative = *s == '-';
            s += (*s == '-') | (*s == '+');
            const __m128i offset =
                _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)), _mm_set1_epi8('0'));
            const auto digits = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(9)), offset)));
            const auto whole = static_cast<unsigned>(__builtin_ctz(~digits));  // ~digits: never 0
            const auto fraction = static_cast<unsigned>(__builtin_ctz(~(digits >> (whole + 1))));
            const unsigned stop = whole + 1 + fraction;
            if (whole - 1 < 8 && fraction - 1 < 8 && stop < 16 && s[whole] == '.' && (s[stop] | 0x20) != 'e') {
                const std::uint64_t mantissa = digitsValue(load8(s), whole) * INTEGER_POWERS_OF_TEN[fraction] +
                                               digitsValue(load8(s + whole + 1), fraction);
                const float value = convertDecimal(mantissa, static_cast<long>(whole + fraction),
                                                   -static_cast<int>(fraction), s, s + stop);
                out = negative ? -value : value;
                p = s + stop;
                return true;
            }
        }
    }
#endif
    const char* s = p;
    if (s >= end)
        return false;
    // The sign without a branch: signs that come at random would keep the
    // branch predictor guessing wrong.
    const bool negative = *s == '-';
    s += (*s == '-') | (*s == '+');
    if (s >= end)
        return false;
    const char c = *s;
    if (!isDigit(c) && c != '.') [[unlikely]]
        return scanFloatSpecial(p, s, end, negative, out);
    if (c == '0' && s + 1 < end && (s[1] | 0x20) == 'x') [[unlikely]]
        return scanFloatSpecial(p, s, end, negative, out);
    // Decimal: digits with at most one point, then an exponent once a digit was seen.
    const char* start = s;
    std::uint64_t mantissa = 0;
    const char* digits = s;
    s = readDigitsByChar(s, end, mantissa);
    long count = s - digits;
    int exponent = 0;
    if (s < end && *s == '.') {
        const char* fraction = ++s;
        unsigned n = end - s >= 8 ? leadingDigits(load8(s)) : 0;
        if (n - 1 < 7) {
            mantissa = mantissa * INTEGER_POWERS_OF_TEN[n] + digitsValue(load8(s), n);
            s += n;
        } else {
            s = readDigitsByChar(s, end, mantissa);
        }
        count += s - fraction;
        exponent = -static_cast<int>(s - fraction);
    }
    if (count == 0)
        return false;
    if (s < end && (*s | 0x20) == 'e') {
        s++;
        bool expNegative = false;
        if (s < end && (*s == '+' || *s == '-')) {
            expNegative = *s == '-';
            s++;
        }
        int written = 0;
        for (; s < end && isDigit(*s); s++)
            if (written < 100000)
                written = written * 10 + (*s - '0');
        exponent += expNegative ? -written : written;
    }
    const float value = convertDecimal(mantissa, count, exponent, start, s);
    out = negative ? -value : value;
    p = s;
    return true;
}

// "%f %f ..." on the rest of one line: reads up to `count` numbers into
// `values` and returns how many were read; p stays on the line.  Blanks
// are skipped but never the line feed, and no number holds one.
template <Path P = Path::Scalar>
GLM_HOT int scanFloats(const char*& p, const char* end, float* values, int count)
{
    int i = 0;
#if GLM_SCAN_X86
    // Far enough from the end for `count` short numbers, each with a blank
    // before it, and the 17 bytes read past the last: the short forms with
    // one check of the end for the whole line.
    if (P != Path::Scalar && end - p >= 16 * count + 32) {
        const char* q = p;
        for (; i < count; i++) {
            q += *q == ' ';  // more blanks fail the short form; the reading below skips them
            if (!scanShortFloat(q, values[i]))
                break;
        }
        p = q;
        if (i == count)
            return count;
    }
#endif
    for (; i < count; i++) {
        // One space before a number, as most texts have, without a loop.
        if (P != Path::Scalar && end - p > 1 && *p == ' ' && static_cast<unsigned char>(p[1]) > ' ')
            p++;
        else
            while (p < end && isSpace(*p) && *p != '\n')
                p++;
        if (!scanFloat<P>(p, end, values[i]))
            return i;
    }
    return count;
}

}  // namespace glmscan

#undef GLM_HOT
