#include "mesh/number_scan.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

// Each fast path reads the line from the left and stores only values it knows to be exactly what
// sscanf stores for the same field; when it meets a token it cannot decide it reports kUnsure,
// and sscanf itself runs on the line with the literal pattern, storing the same values again
// and deciding the rest.

namespace {

constexpr int kUnsure = -2; // neither EOF nor a count

constexpr int kMaxInts = 3;
constexpr int kMaxFloats = 8;
constexpr std::size_t kMaxLineLength = 255; // what a reader hands out of a longer line

constexpr const char* kIntPatterns[kMaxInts + 1] = {"", "%i", "%i %i", "%i %i %i"};
constexpr const char* kIntSuffixes[kMaxInts + 1] = {"", " %i", " %i %i", " %i %i %i"};
constexpr const char* kFloatPatterns[kMaxFloats + 1] = {"",
                                                        "%f",
                                                        "%f %f",
                                                        "%f %f %f",
                                                        "%f %f %f %f",
                                                        "%f %f %f %f %f",
                                                        "%f %f %f %f %f %f",
                                                        "%f %f %f %f %f %f %f",
                                                        "%f %f %f %f %f %f %f %f"};

// isspace() of the C locale: space, \t, \n, \v, \f, \r.
inline bool isBlank(char c) {
    return c == ' ' || static_cast<unsigned char>(c - '\t') < 5;
}
inline bool isDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}
inline int digitValue(char c) {
    return c - '0';
}

// sscanf stops a number at the first character that cannot continue it; the fast path only
// trusts tokens that end where the next blank or the line does.
inline bool endsToken(char c) {
    return c == '\0' || isBlank(c);
}

inline const char* skipBlanks(const char* p) {
    while (isBlank(*p))
        ++p;
    return p;
}

inline bool isBlankLine(const char* line) {
    return *skipBlanks(line) == '\0';
}

// Adds a run of digits to mantissa, which wraps beyond 19 digits: callers count them.
inline const char* readDigits(const char* p, std::uint64_t& mantissa) {
    unsigned digit = static_cast<unsigned char>(*p) - '0';
    while (digit < 10) {
        mantissa = mantissa * 10 + digit;
        digit = static_cast<unsigned char>(*++p) - '0';
    }
    return p;
}

// --- %i ---------------------------------------------------------------------------------------

// 18 decimal digits cannot overflow the long that glibc reads %i into.
constexpr long kMaxSafeIntDigits = 18;

// A plain decimal %i token: optional sign, then "0" alone or digits without a leading zero
// (a leading zero means octal or hex). Returns the token end, or nullptr if unsure. Inlined into
// each scanning loop, like parseShortFloat, so that the loop keeps its pointers in registers.
[[gnu::always_inline]] inline const char* parseDecimalInt(const char* p, int& value) {
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const char* digits = p;
    std::uint64_t magnitude = 0;
    if (*p == '0')
        ++p;
    else
        p = readDigits(p, magnitude);
    if (p == digits || p - digits > kMaxSafeIntDigits || !endsToken(*p)) return nullptr;
    const auto asLong = static_cast<std::int64_t>(magnitude);
    // glibc stores (int) of the long it read: the low 32 bits.
    value = static_cast<int>(negative ? -asLong : asLong);
    return p;
}

// A keyword character the fast path may compare literally: a blank in the pattern would match
// any run of blanks, '%' starts a directive, and non-ASCII bytes go through multibyte decoding.
inline bool isLiteralKeywordChar(char c) {
    return !isBlank(c) && c != '%' && static_cast<unsigned char>(c) < 0x80;
}

int scanIntsFast(const char* line, const char* keyword, int* values, int count) {
    const char* p = line;
    if (*keyword != '\0' && isBlankLine(line)) return kUnsure;
    for (const char* k = keyword; *k != '\0'; ++k, ++p) {
        if (!isLiteralKeywordChar(*k)) return kUnsure;
        if (*p != *k) return *p == '\0' ? EOF : 0;
    }
    int stored = 0;
    for (; stored < count; ++stored) {
        p = skipBlanks(p);
        if (*p == '\0') break;
        p = parseDecimalInt(p, values[stored]);
        if (p == nullptr) return kUnsure;
    }
    return stored == 0 ? kUnsure : stored;
}

int scanIntsWithSscanf(const char* line, const char* keyword, int* values, int count) {
    // Unreached fields keep their value: start the slots from the caller's values.
    int slots[kMaxInts] = {};
    std::memcpy(slots, values, count * sizeof(int));

    const std::size_t keywordLength = std::strlen(keyword);
    char shortPattern[256 + sizeof " %i %i %i"];
    std::string longPattern;
    const char* pattern = kIntPatterns[count];
    if (keywordLength > 0 && keywordLength < 256) {
        std::memcpy(shortPattern, keyword, keywordLength);
        std::strcpy(shortPattern + keywordLength, kIntSuffixes[count]);
        pattern = shortPattern;
    } else if (keywordLength > 0) {
        longPattern = std::string(keyword, keywordLength) + kIntSuffixes[count];
        pattern = longPattern.c_str();
    }
    const int result = std::sscanf(line, pattern, &slots[0], &slots[1], &slots[2]);
    std::memcpy(values, slots, count * sizeof(int));
    return result;
}

// --- %f ---------------------------------------------------------------------------------------

// Clinger: a mantissa of at most 2^24 and a power of ten up to 10^10 are both exact floats, so
// one float multiply or divide rounds the decimal value correctly.
constexpr std::uint64_t kMaxFloatMantissa = std::uint64_t{1} << 24;
constexpr int kMaxPower = 10;
constexpr float kFloatPowersOfTen[kMaxPower + 1] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                                    1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
constexpr std::uint64_t kPowersOfTen[kMaxPower + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000, 10000000000};
// Digits beyond 18 are dropped from the mantissa; such tokens go to from_chars.
constexpr std::uint64_t kMantissaLimit = 1000000000000000000;
// Exponent digits beyond this only push the value further out of float range.
constexpr int kExponentCap = 100000;

struct DecimalDigits {
    std::uint64_t mantissa = 0;
    int exponent = 0; // power of ten that scales the mantissa
    int count = 0;
    int dropped = 0;
};

inline void addDigit(DecimalDigits& d, char c) {
    if (d.mantissa < kMantissaLimit) {
        d.mantissa = d.mantissa * 10 + digitValue(c);
    } else {
        ++d.dropped;
        ++d.exponent; // a dropped digit still scales the kept ones
    }
    ++d.count;
}

// Reads "digits[.digits]" and returns the end.
const char* readMantissa(const char* p, DecimalDigits& d) {
    while (isDigit(*p))
        addDigit(d, *p++);
    if (*p == '.') {
        ++p;
        while (isDigit(*p)) {
            addDigit(d, *p++);
            --d.exponent;
        }
    }
    return p;
}

// Reads "e[sign]digits" into d.exponent; returns nullptr for an incomplete exponent.
const char* readExponent(const char* p, DecimalDigits& d) {
    ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (!isDigit(*p)) return nullptr;
    int exponent = 0;
    for (; isDigit(*p); ++p) {
        if (exponent < kExponentCap) exponent = exponent * 10 + digitValue(*p);
    }
    d.exponent += negative ? -exponent : exponent;
    return p;
}

float powerOfTwo(int exponent) {
    return std::bit_cast<float>(std::uint32_t(127 + exponent) << 23);
}

// mantissa * 10^exponent for a mantissa wider than a float's, |exponent| <= kMaxPower. The
// only rounding is the conversion of a 64-bit integer to float, so the result is correctly
// rounded. False when the product does not fit 64 bits.
bool convertWideMantissa(std::uint64_t mantissa, int exponent, float& value) {
    if (exponent >= 0) {
        std::uint64_t product;
        if (__builtin_mul_overflow(mantissa, kPowersOfTen[exponent], &product)) return false;
        value = static_cast<float>(product);
        return true;
    }
    const int shift = std::countl_zero(mantissa);
    const std::uint64_t numerator = mantissa << shift;
    const std::uint64_t divisor = kPowersOfTen[-exponent];
    // The quotient has at least 29 significant bits, so a low bit set for a nonzero remainder
    // decides a rounding tie exactly as the dropped fraction would.
    const std::uint64_t quotient = numerator / divisor;
    const std::uint64_t sticky = numerator % divisor != 0;
    value = static_cast<float>(quotient | sticky) * powerOfTwo(-shift);
    return true;
}

// Converts a validated unsigned decimal token; false when the exact result is not at hand.
bool convertDecimal(const DecimalDigits& d, const char* begin, const char* end, float& value) {
    if (d.mantissa == 0) {
        value = 0.0f;
        return true;
    }
    if (d.dropped == 0 && d.exponent >= -kMaxPower && d.exponent <= kMaxPower) {
        if (d.mantissa > kMaxFloatMantissa)
            return convertWideMantissa(d.mantissa, d.exponent, value);
        const auto m = static_cast<float>(d.mantissa);
        value =
            d.exponent < 0 ? m / kFloatPowersOfTen[-d.exponent] : m * kFloatPowersOfTen[d.exponent];
        return true;
    }
    // libstdc++ rounds correctly to float directly; it reports overflow and underflow to zero
    // as out of range, where strtof's own result is left to sscanf.
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() && stop == end;
}

// The shape real files hold, [sign] digits [. digits] with at most 18 digits and no exponent,
// read in one pass; nullptr for any other shape, which parseDecimalFloat then decides.
[[gnu::always_inline]] inline const char* parseShortFloat(const char* p, float& value) {
    const bool negative = *p == '-';
    p += *p == '-' || *p == '+';
    const char* begin = p;
    std::uint64_t mantissa = 0;
    p = readDigits(p, mantissa);
    int fractionDigits = 0;
    const bool point = *p == '.';
    if (point) {
        const char* fraction = ++p;
        p = readDigits(p, mantissa);
        fractionDigits = static_cast<int>(p - fraction);
    }
    const long digits = (p - begin) - point;
    if (digits == 0 || digits > 18 || fractionDigits > kMaxPower || !endsToken(*p)) return nullptr;
    float magnitude;
    if (mantissa <= kMaxFloatMantissa)
        magnitude = static_cast<float>(mantissa) / kFloatPowersOfTen[fractionDigits];
    else if (!convertWideMantissa(mantissa, -fractionDigits, magnitude))
        return nullptr;
    value = negative ? -magnitude : magnitude;
    return p;
}

// A plain decimal %f token: [sign] digits [. digits] [e [sign] digits] with at least one
// mantissa digit. Returns the token end, or nullptr if unsure.
const char* parseDecimalFloat(const char* p, float& value) {
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const char* begin = p;
    DecimalDigits d;
    p = readMantissa(p, d);
    if (d.count == 0) return nullptr;
    if ((*p | 0x20) == 'e') {
        p = readExponent(p, d);
        if (p == nullptr) return nullptr;
    }
    float magnitude;
    if (!endsToken(*p) || !convertDecimal(d, begin, p, magnitude)) return nullptr;
    value = negative ? -magnitude : magnitude;
    return p;
}

// A %f token in the one pass if it can, else character by character.
[[gnu::always_inline]] inline const char* parseFloatToken(const char* p, float& value) {
    const char* end = parseShortFloat(p, value);
    return end != nullptr ? end : parseDecimalFloat(p, value);
}

int scanFloatsFast(const char* line, float* values, int count) {
    const char* p = line;
    int stored = 0;
    for (; stored < count; ++stored) {
        p = skipBlanks(p);
        if (*p == '\0') break;
        const char* end = parseFloatToken(p, values[stored]);
        if (end == nullptr) return kUnsure;
        p = end;
    }
    return stored == 0 ? kUnsure : stored;
}

int scanFloatsWithSscanf(const char* line, float* values, int count) {
    float s[kMaxFloats] = {};
    std::memcpy(s, values, count * sizeof(float));
    const int result = std::sscanf(line, kFloatPatterns[count], &s[0], &s[1], &s[2], &s[3], &s[4],
                                   &s[5], &s[6], &s[7]);
    std::memcpy(values, s, count * sizeof(float));
    return result;
}

// --- lines straight from a reader's text ---------------------------------------------------

// The blanks within a line: every isspace() character but the line feed.
inline const char* skipLineBlanks(const char* p) {
    constexpr std::uint64_t lineBlanks = 0x100003A00; // bits 9, 11 to 13 and 32
    for (;; ++p) {
        const auto code = static_cast<unsigned char>(*p);
        if (code > ' ' || ((lineBlanks >> code) & 1) == 0) return p;
    }
}

// The fast path's reading of the fields up to the line feed. A zero byte (no field starts with
// one), characters after the last field, no field at all, or a line that the usual reading
// would cut at 255 characters leave it to that reading.
template <typename Value, typename ParseToken>
const char* scanFieldsInText(const char* text, Value* values, int count, int& result,
                             ParseToken parseToken) {
    const char* p = skipLineBlanks(text);
    int stored = 0;
    for (; stored < count && *p != '\n'; ++stored) {
        p = parseToken(p, values[stored]);
        if (p == nullptr) return nullptr;
        p = skipLineBlanks(p);
    }
    if (*p != '\n' || stored == 0 || p - text > static_cast<long>(kMaxLineLength)) return nullptr;
    result = stored;
    return p + 1;
}

} // namespace

const char* scanFloatsInText(const char* text, float* values, int count, int& result) {
    return scanFieldsInText(text, values, count, result,
                            [](const char* p, float& value) { return parseFloatToken(p, value); });
}

const char* scanIntsInText(const char* text, int* values, int count, int& result) {
    return scanFieldsInText(text, values, count, result,
                            [](const char* p, int& value) { return parseDecimalInt(p, value); });
}

int scanInts(const char* line, const char* keyword, int* values, int count) {
    const int result = scanIntsFast(line, keyword, values, count);
    return result != kUnsure ? result : scanIntsWithSscanf(line, keyword, values, count);
}

int scanFloats(const char* line, float* values, int count) {
    const int result = scanFloatsFast(line, values, count);
    return result != kUnsure ? result : scanFloatsWithSscanf(line, values, count);
}

// %s needs no fallback: it copies the first run of non-blank bytes as they are.
int scanWord(const char* line, char* field, std::size_t fieldSize) {
    const char* p = skipBlanks(line);
    if (*p == '\0') return EOF;
    if (fieldSize == 0) return 0;
    std::size_t length = 0;
    while (length + 1 < fieldSize && !endsToken(p[length]))
        ++length;
    std::memcpy(field, p, length);
    field[length] = '\0';
    return 1;
}
