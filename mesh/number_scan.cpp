#include "mesh/number_scan.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

// The fields are read from the left, as sscanf reads them. A token of a shape real files hold
// is decided here, storing exactly what sscanf stores for it; any other goes to sscanf alone,
// one field at a time ("%n" tells where the next one starts), except the two shapes on which C
// libraries disagree: there the scanner follows the C standard and newer glibc itself, so a file
// gives the same numbers everywhere.

namespace {

constexpr std::size_t maxLineLength = 255; // what a reader hands out of a longer line

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

// 18 decimal digits cannot overflow a 64-bit integer: neither the long that glibc reads %i into
// nor the mantissa a float's digits are gathered in.
constexpr long maxSafeDigits = 18;

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
    if (p == digits || p - digits > maxSafeDigits || !endsToken(*p)) return nullptr;
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

// Where the numbers after the keyword start, or nullptr with result set to what sscanf returns
// when the keyword does not match.
const char* matchKeyword(const char* line, const char* keyword, int& result) {
    if (*keyword == '\0') return line;
    bool literal = !isBlankLine(line);
    for (const char* k = keyword; literal && *k != '\0'; ++k)
        literal = isLiteralKeywordChar(*k);
    if (literal) {
        const char* p = line;
        for (const char* k = keyword; *k != '\0'; ++k, ++p)
            if (*p != *k) {
                result = *p == '\0' ? EOF : 0;
                return nullptr;
            }
        return p;
    }
    // sscanf matches it, and "%n" tells where it ended; a keyword that does not match never
    // reaches the "%n".
    const std::string pattern = std::string(keyword) + "%n";
    int end = -1;
    result = std::sscanf(line, pattern.c_str(), &end);
    return end < 0 ? nullptr : line + end;
}

// "[sign]0b" or "0B" and binary digits, which the C standard's %i reads (as newer glibc does)
// and glibc 2.36 stops after the "0". As with "0x", the prefix alone reads 0. nullptr for any
// other token.
const char* parseBinaryInt(const char* p, int& value) {
    const bool negative = *p == '-';
    p += *p == '-' || *p == '+';
    if (p[0] != '0' || (p[1] | 0x20) != 'b') return nullptr;
    p += 2;
    // The magnitude of LONG_MIN; one past it stands for any larger number.
    constexpr auto limit = static_cast<unsigned long long>(LONG_MAX) + 1;
    unsigned long long magnitude = 0;
    for (; *p == '0' || *p == '1'; ++p)
        magnitude = magnitude > limit / 2 ? limit + 1 : magnitude * 2 + (*p - '0');
    // strtol's long, held at its limits, then its low bits as glibc stores it in an int.
    long asLong;
    if (negative)
        asLong = magnitude >= limit ? LONG_MIN : -static_cast<long>(magnitude);
    else
        asLong = magnitude >= limit ? LONG_MAX : static_cast<long>(magnitude);
    value = static_cast<int>(asLong);
    return p;
}

// One %i field that parseDecimalInt cannot decide, read by sscanf unless it is binary. Returns
// the end of the field, or nullptr with failure set to what sscanf returns for it.
[[gnu::noinline]] const char* scanOtherInt(const char* p, int& value, int& failure) {
    if (const char* end = parseBinaryInt(p, value)) return end;
    int read = 0;
    int end = -1;
    failure = std::sscanf(p, "%i%n", &read, &end);
    if (end < 0) return nullptr;
    value = read;
    return p + end;
}

// --- %f ---------------------------------------------------------------------------------------

// Clinger: a mantissa of at most 2^24 and a power of ten up to 10^10 are both exact floats, so
// one float multiply or divide rounds the decimal value correctly.
constexpr std::uint64_t maxFloatMantissa = std::uint64_t{1} << 24;
constexpr int maxPower = 10;
constexpr float floatPowersOfTen[maxPower + 1] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                                  1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
constexpr std::uint64_t powersOfTen[maxPower + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000, 10000000000};
// Digits beyond 18 are dropped from the mantissa; such tokens go to from_chars.
constexpr std::uint64_t mantissaLimit = 1000000000000000000;
// Exponent digits beyond this only push the value further out of float range.
constexpr int exponentCap = 100000;

struct DecimalDigits {
    std::uint64_t mantissa = 0;
    int exponent = 0; // power of ten that scales the mantissa
    int count = 0;
    int dropped = 0;
};

inline void addDigit(DecimalDigits& d, char c) {
    if (d.mantissa < mantissaLimit) {
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
        if (exponent < exponentCap) exponent = exponent * 10 + digitValue(*p);
    }
    d.exponent += negative ? -exponent : exponent;
    return p;
}

float powerOfTwo(int exponent) {
    return std::bit_cast<float>(std::uint32_t(127 + exponent) << 23);
}

// mantissa * 10^exponent for a mantissa wider than a float's, |exponent| <= maxPower. The
// only rounding is the conversion of a 64-bit integer to float, so the result is correctly
// rounded. False when the product does not fit 64 bits.
bool convertWideMantissa(std::uint64_t mantissa, int exponent, float& value) {
    if (exponent >= 0) {
        std::uint64_t product;
        if (__builtin_mul_overflow(mantissa, powersOfTen[exponent], &product)) return false;
        value = static_cast<float>(product);
        return true;
    }
    const int shift = std::countl_zero(mantissa);
    const std::uint64_t numerator = mantissa << shift;
    const std::uint64_t divisor = powersOfTen[-exponent];
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
    if (d.dropped == 0 && d.exponent >= -maxPower && d.exponent <= maxPower) {
        if (d.mantissa > maxFloatMantissa)
            return convertWideMantissa(d.mantissa, d.exponent, value);
        const auto m = static_cast<float>(d.mantissa);
        value =
            d.exponent < 0 ? m / floatPowersOfTen[-d.exponent] : m * floatPowersOfTen[d.exponent];
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
    if (digits == 0 || digits > maxSafeDigits || fractionDigits > maxPower || !endsToken(*p))
        return nullptr;
    float magnitude;
    if (mantissa <= maxFloatMantissa)
        magnitude = static_cast<float>(mantissa) / floatPowersOfTen[fractionDigits];
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

// "[sign]nan(" then letters, digits and underscores, then ")": read whole by the C standard's
// %f, as by newer glibc, where glibc 2.36 stops after "nan". The value is strtof's (every glibc
// gives the payload the same bits). nullptr for any other token; refused when the parenthesis
// is not closed, which matches nothing.
const char* parseNanWithPayload(const char* p, float& value, bool& refused) {
    const char* name = p + (*p == '-' || *p == '+');
    if ((name[0] | 0x20) != 'n' || (name[1] | 0x20) != 'a' || (name[2] | 0x20) != 'n' ||
        name[3] != '(')
        return nullptr;
    const char* close = name + 4;
    while (isDigit(*close) || static_cast<unsigned char>((*close | 0x20) - 'a') < 26 ||
           *close == '_')
        ++close;
    refused = *close != ')';
    if (refused) return nullptr;
    value = std::strtof(p, nullptr);
    return close + 1;
}

// One %f field that parseFloatToken cannot decide, read by sscanf unless it is a NaN with a
// payload. Returns the end of the field, or nullptr with failure set to what sscanf returns
// for it.
[[gnu::noinline]] const char* scanOtherFloat(const char* p, float& value, int& failure) {
    bool refused = false;
    if (const char* end = parseNanWithPayload(p, value, refused)) return end;
    if (refused) {
        failure = 0;
        return nullptr;
    }
    float read = 0.0f;
    int end = -1;
    failure = std::sscanf(p, "%f%n", &read, &end);
    if (end < 0) return nullptr;
    value = read;
    return p + end;
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
    if (*p != '\n' || stored == 0 || p - text > static_cast<long>(maxLineLength)) return nullptr;
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

// Both loops go field by field as sscanf does: blanks skipped, then a field read; a field that
// does not match ends the scan. A blank line, or one that ends before the first field, is EOF.
int scanInts(const char* line, const char* keyword, int* values, int count) {
    int result = 0;
    const char* p = matchKeyword(line, keyword, result);
    if (p == nullptr) return result;
    int stored = 0;
    for (; stored < count; ++stored) {
        p = skipBlanks(p);
        if (*p == '\0') break;
        const char* end = parseDecimalInt(p, values[stored]);
        if (end == nullptr) end = scanOtherInt(p, values[stored], result);
        if (end == nullptr) return stored == 0 ? result : stored;
        p = end;
    }
    return stored == 0 ? EOF : stored;
}

int scanFloats(const char* line, float* values, int count) {
    const char* p = line;
    int stored = 0;
    for (; stored < count; ++stored) {
        p = skipBlanks(p);
        if (*p == '\0') break;
        int failure = 0;
        const char* end = parseFloatToken(p, values[stored]);
        if (end == nullptr) end = scanOtherFloat(p, values[stored], failure);
        if (end == nullptr) return stored == 0 ? failure : stored;
        p = end;
    }
    return stored == 0 ? EOF : stored;
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
