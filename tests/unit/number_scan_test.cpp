#include "mesh/number_scan.h"
#include "tests/support/c_library_departures.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// The C library's sscanf with the literal pattern is the reference everywhere: the differential
// tests generate lines and compare counts and stored bytes; the named cases pin down the glibc
// behaviour a reader relies on. Where an older glibc departs from the C standard, the scanner
// follows the standard, so those lines are compared only with a library that does too.

namespace {

constexpr int differentialLines = 100000;
constexpr std::size_t maxLineLength = 255;
constexpr int maxInts = 3;
constexpr int maxFloats = 8;

// --- reporting --------------------------------------------------------------------------------

// Shows blanks and control bytes (a tab as \x09) so a failing line can be read off the log.
std::string printable(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        char piece[8];
        if (c == '"' || c == '\\')
            std::snprintf(piece, sizeof piece, "\\%c", c);
        else if (c < 0x20 || c >= 0x7f)
            std::snprintf(piece, sizeof piece, "\\x%02x", c);
        else
            std::snprintf(piece, sizeof piece, "%c", c);
        out += piece;
    }
    return out + "\"";
}

std::string describeInts(int result, const int* values) {
    std::string out = "returned ";
    out += std::to_string(result);
    out += ", fields";
    for (int i = 0; i < maxInts; ++i) {
        out += ' ';
        out += std::to_string(values[i]);
    }
    return out;
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatFromBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string describeFloats(int result, const float* values) {
    std::string out = "returned ";
    out += std::to_string(result);
    out += ", fields";
    for (int i = 0; i < maxFloats; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, " %a(0x%08x)", static_cast<double>(values[i]),
                      static_cast<unsigned>(bitsOf(values[i])));
        out += text;
    }
    return out;
}

// --- departures of older C libraries -----------------------------------------------------------

// On a library that departs from the standard (tests/support/c_library_departures.h), a line
// holding such a shape is left out of the comparison with its sscanf; the named cases check
// those lines on every library.
bool holdsIgnoringCase(const std::string& line, const char* piece) {
    std::string lower = line;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find(piece) != std::string::npos;
}

bool floatLineMeetsDeparture(const std::string& line) {
    return libraryStopsNanBeforePayload() && holdsIgnoringCase(line, "nan(");
}

bool intLineMeetsDeparture(const std::string& line) {
    return libraryReadsNoBinaryPrefix() && holdsIgnoringCase(line, "0b");
}

// --- references -------------------------------------------------------------------------------

std::string intPattern(const std::string& keyword, int count) {
    std::string pattern = keyword;
    for (int i = 0; i < count; ++i)
        pattern += (i == 0 && keyword.empty()) ? "%i" : " %i";
    return pattern;
}

std::string floatPattern(int count) {
    std::string pattern = "%f";
    for (int i = 1; i < count; ++i)
        pattern += " %f";
    return pattern;
}

// Fields get distinct, unlikely values first, so a field that is wrongly written (or wrongly
// left alone) shows up in the comparison.
void preloadInts(int* values, std::uint32_t salt) {
    for (int i = 0; i < maxInts; ++i)
        values[i] = static_cast<int>(0x5EED0000u + salt * 7919u + static_cast<unsigned>(i));
}

void preloadFloats(float* values, std::uint32_t salt) {
    for (int i = 0; i < maxFloats; ++i) {
        // Alternates a NaN with a payload and an ordinary number.
        const std::uint32_t bits = (i % 2 == 0) ? 0x7FC0BEE0u + static_cast<std::uint32_t>(i)
                                                : 0x3F000000u + salt % 4096u + i;
        values[i] = floatFromBits(bits);
    }
}

::testing::AssertionResult intsMatchSscanf(const std::string& line, const std::string& keyword,
                                           int count, std::uint32_t salt = 1) {
    if (intLineMeetsDeparture(line)) return ::testing::AssertionSuccess();
    int expected[maxInts];
    int actual[maxInts];
    preloadInts(expected, salt);
    preloadInts(actual, salt);
    const std::string pattern = intPattern(keyword, count);
    const int expectedResult =
        std::sscanf(line.c_str(), pattern.c_str(), &expected[0], &expected[1], &expected[2]);
    const int actualResult = scanInts(line.c_str(), keyword.c_str(), actual, count);
    if (expectedResult == actualResult && std::memcmp(expected, actual, sizeof actual) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "line " << printable(line) << " with pattern " << printable(pattern)
           << "\n  sscanf:   " << describeInts(expectedResult, expected)
           << "\n  scanInts: " << describeInts(actualResult, actual);
}

::testing::AssertionResult floatsMatchSscanf(const std::string& line, int count,
                                             std::uint32_t salt = 1) {
    if (floatLineMeetsDeparture(line)) return ::testing::AssertionSuccess();
    float expected[maxFloats];
    float actual[maxFloats];
    preloadFloats(expected, salt);
    preloadFloats(actual, salt);
    float* e = expected;
    const std::string pattern = floatPattern(count);
    const int expectedResult = std::sscanf(line.c_str(), pattern.c_str(), &e[0], &e[1], &e[2],
                                           &e[3], &e[4], &e[5], &e[6], &e[7]);
    const int actualResult = scanFloats(line.c_str(), actual, count);
    if (expectedResult == actualResult && std::memcmp(expected, actual, sizeof actual) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "line " << printable(line) << " with pattern " << printable(pattern)
           << "\n  sscanf:     " << describeFloats(expectedResult, expected)
           << "\n  scanFloats: " << describeFloats(actualResult, actual);
}

::testing::AssertionResult wordMatchesSscanf(const std::string& line, std::size_t fieldSize) {
    // Larger than any field so a write past fieldSize shows up too.
    char expected[320];
    char actual[320];
    std::memset(expected, 0xA5, sizeof expected);
    std::memset(actual, 0xA5, sizeof actual);
    const std::string pattern = "%" + std::to_string(fieldSize - 1) + "s";
    const int expectedResult = std::sscanf(line.c_str(), pattern.c_str(), expected);
    const int actualResult = scanWord(line.c_str(), actual, fieldSize);
    if (expectedResult == actualResult && std::memcmp(expected, actual, sizeof actual) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "line " << printable(line) << " with pattern " << pattern << "\n  sscanf:   returned "
           << expectedResult << ", field " << printable(std::string(expected, fieldSize))
           << "\n  scanWord: returned " << actualResult << ", field "
           << printable(std::string(actual, fieldSize));
}

// --- generation -------------------------------------------------------------------------------

class Random {
  public:
    explicit Random(std::uint32_t seed) : engine(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine); }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); }
    bool percent(int p) { return below(100) < p; }
    std::uint32_t bits() { return static_cast<std::uint32_t>(engine()); }
    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(engine);
    }

    const char* pick(std::initializer_list<const char*> choices) {
        return choices.begin()[below(static_cast<int>(choices.size()))];
    }

    std::string digits(int length) {
        std::string out;
        for (int i = 0; i < length; ++i)
            out += static_cast<char>('0' + below(10));
        return out;
    }

    // Digits of a number without a leading zero.
    std::string number(int length) {
        std::string out(1, static_cast<char>('1' + below(9)));
        return out + digits(length - 1);
    }

    std::string hexDigits(int length) {
        static const char hex[] = "0123456789abcdefABCDEF";
        std::string out;
        for (int i = 0; i < length; ++i)
            out += hex[below(static_cast<int>(sizeof hex) - 1)];
        return out;
    }

    std::string sign(int minusPercent, int plusPercent) {
        const int roll = below(100);
        if (roll < minusPercent) return "-";
        return roll < minusPercent + plusPercent ? "+" : "";
    }

  private:
    std::mt19937 engine;
};

std::string format(const char* pattern, double value, int precision) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, precision, value);
    return text;
}

std::string separator(Random& random) {
    if (random.percent(75)) return " ";
    return random.pick({"", "  ", "\t", " \t ", "\r ", "\v", "\f", "\n", " \r\t\v\f "});
}

std::string trailer(Random& random) {
    if (random.percent(70)) return "";
    return random.pick({" ", "\r", "\t\t", " # note", "x", ",", " 5 6", " -1.5e3", "  end"});
}

// Empty, blank-only or cut to the longest line the reader passes on.
std::string finishLine(Random& random, std::string line) {
    if (random.percent(2)) return "";
    if (random.percent(2)) return random.pick({" ", "\t", "  \r", "\v\f", " \t \t "});
    if (line.size() > maxLineLength) line.resize(maxLineLength);
    return line;
}

// Integers as %i meets them: mostly plain decimals, plus every prefix and size that changes
// how glibc reads or stores them. The decimal kinds come first.
std::string intToken(Random& random, bool decimalOnly) {
    const int kind = random.below(decimalOnly ? 62 : 100);
    if (kind < 45) return random.sign(30, 5) + random.number(random.between(1, 6));
    if (kind < 52) return random.sign(10, 5) + random.pick({"0", "0", "00", "000"});
    if (kind < 62) {
        const long long bases[] = {2147483647LL, 2147483648LL, 4294967295LL,
                                   4294967296LL, 999999999LL,  9999999999LL};
        const long long value = bases[random.below(6)] + random.between(-3, 3);
        if (random.percent(30)) return random.sign(50, 10) + random.number(random.between(9, 11));
        return random.sign(50, 10) + std::to_string(value);
    }
    if (kind < 69) {
        const unsigned long long value =
            9223372036854775807ULL + static_cast<unsigned long long>(random.between(-3, 3));
        if (random.percent(40)) return random.sign(50, 10) + random.number(random.between(17, 25));
        return random.sign(50, 10) + std::to_string(value);
    }
    if (kind < 79) return random.sign(20, 5) + "0" + random.digits(random.between(1, 4));
    if (kind < 89) {
        std::string hex = random.sign(20, 5) + random.pick({"0x", "0X"}) +
                          random.hexDigits(random.between(0, 17));
        if (random.percent(15)) hex += random.pick({"g", "z", ".5", "p1"});
        return hex;
    }
    return random.pick({"-",   "+",     "--1", "+-1",   "abc", "1.5",     "1e3",
                        "x",   "0b101", ".",   "12abc", "7,",  "- 5",     "0x",
                        "0xg", "09",    "08",  "1-2",   "#",   "\xc2\xb5"});
}

const char* const keywords[] = {"", "", "GEOM", "MATERIAL", "GROUPS", "TEXTURES", "TEX UNIT"};

// A keyword's inner blanks match any run of blanks, none included.
std::string respaced(Random& random, const std::string& keyword) {
    std::string out;
    for (char c : keyword)
        out +=
            (c == ' ' && random.percent(50)) ? random.pick({"", "\t", "   "}) : std::string(1, c);
    return out;
}

// What comes before the numbers: usually the keyword itself, sometimes one the pattern must
// refuse or one it must accept despite odd spacing.
std::string keywordPrefix(Random& random, const std::string& keyword) {
    if (keyword.empty()) return random.percent(10) ? separator(random) : "";
    const int kind = random.below(100);
    if (kind < 70) return respaced(random, keyword) + separator(random);
    if (kind < 75) return keyword; // a blank in the pattern also matches no blank
    if (kind < 80) {
        std::string lower = keyword;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower + " ";
    }
    if (kind < 85)
        return keyword.substr(0, random.between(0, static_cast<int>(keyword.size()) - 1));
    if (kind < 90) return " " + keyword + " ";
    if (kind < 95) return keyword + random.pick({"S ", "_2 ", "\t\t"});
    return random.pick({"GEOM ", "MATERIAL ", "v ", "# "});
}

// A token count around what the pattern asks for: missing and extra numbers included. Half the
// lines hold decimal tokens only, so that whole lines reach the fast path as well.
int tokenCount(Random& random, int count) {
    return random.percent(65) ? count : random.between(0, count + 1);
}

std::string intLine(Random& random, const std::string& keyword, int count) {
    std::string line = keywordPrefix(random, keyword);
    const bool decimalOnly = random.percent(50);
    const int tokens = tokenCount(random, count);
    for (int i = 0; i < tokens; ++i)
        line += (i > 0 ? separator(random) : "") + intToken(random, decimalOnly);
    return finishLine(random, line + trailer(random));
}

std::string commonFloat(Random& random) {
    const double value = random.uniform(-1000.0, 1000.0) * std::pow(10.0, random.between(-3, 3));
    switch (random.below(5)) {
    case 0:
        return format("%.*f", value, random.between(0, 9));
    case 1:
        return format("%.*g", value, random.between(1, 9));
    case 2:
        return format("%.*e", value, random.between(1, 8));
    case 3:
        return std::to_string(random.between(-100000, 100000));
    default:
        return format("%.*f", value / 1000.0, 6);
    }
}

// Any finite float, printed shortly or at full length: subnormals and extremes included.
std::string anyFloat(Random& random) {
    float value;
    do {
        value = floatFromBits(random.bits());
    } while (!std::isfinite(value));
    if (random.percent(30)) value = floatFromBits(random.bits() & 0x807FFFFFu); // subnormal
    return format("%.*g", value, random.between(1, 12));
}

// The exact decimal midpoint between two neighbouring floats (a double holds it exactly), or
// that midpoint cut short, which lands just below it.
std::string halfwayFloat(Random& random) {
    std::uint32_t bits = random.bits() & 0x7FFFFFFFu;
    if (random.percent(50))
        bits = 0x3F800000u + (random.bits() & 0x0FFFFFFFu) % 0x0C000000u; // 1 .. 2^24 and beyond
    if (random.percent(15)) bits &= 0x007FFFFFu;                          // between subnormals
    if (bits >= 0x7F7FFFFFu) bits = 0x7F7FFFFEu;
    const double low = floatFromBits(bits);
    const double high = floatFromBits(bits + 1);
    const double midpoint = (low + high) / 2;
    if (random.percent(20)) {
        // Odd integers above 2^24 sit exactly between two floats.
        const long long odd = (1LL << 24) + 2LL * random.between(0, 1 << 20) + 1;
        return std::to_string(odd) + (random.percent(30) ? ".0000001" : "");
    }
    return random.sign(30, 5) + format("%.*e", midpoint, random.between(8, 110));
}

std::string decimal(unsigned __int128 digits, int fractionDigits) {
    std::string out;
    for (; digits > 0 || static_cast<int>(out.size()) <= fractionDigits; digits /= 10)
        out.insert(out.begin(), static_cast<char>('0' + static_cast<int>(digits % 10)));
    if (fractionDigits > 0) out.insert(out.size() - fractionDigits, ".");
    return out;
}

// The midpoint between two large neighbouring floats, or a hair above or below it: closer than
// a double can resolve, so rounding through double would land on the midpoint and tie.
std::string nearHalfway(Random& random) {
    const int exponent = random.between(20, 62);
    const auto fraction = random.bits() & 0x007FFFFFu;
    const double low = floatFromBits(static_cast<std::uint32_t>(127 + exponent) << 23 | fraction);
    const double midpoint = low + std::ldexp(1.0, exponent - 24);
    const int offset = random.between(-1, 1);
    if (exponent >= 24 && random.percent(30)) // an integer midpoint, off by one
        return decimal(static_cast<std::uint64_t>(midpoint) + offset, 0);
    // The midpoint has at most 4 fraction bits, so 10^4 times it is an integer.
    auto scaled = static_cast<unsigned __int128>(midpoint * 16) * 625;
    int fractionDigits = 4;
    for (int extra = random.between(1, 6); extra > 0; --extra, ++fractionDigits)
        scaled *= 10;
    scaled += offset;
    if (random.percent(30)) return decimal(scaled, 0) + "e-" + std::to_string(fractionDigits);
    return decimal(scaled, fractionDigits);
}

std::string extremeExponent(Random& random) {
    std::string mantissa = random.number(random.between(1, 9));
    if (random.percent(50))
        mantissa.insert(static_cast<std::size_t>(random.below(static_cast<int>(mantissa.size()))),
                        ".");
    const int exponent = random.percent(80) ? random.between(-60, 60) : random.between(-400, 400);
    std::string out = random.sign(30, 5) + mantissa + random.pick({"e", "E"}) +
                      random.sign(20, 20) + std::to_string(std::abs(exponent));
    if (random.percent(10))
        out = random.pick({"1e99999999999", "1e-99999999999", "1e-0000000000000000000005",
                           "0e999999", "-0.0e-999999", "1e2147483648", "1e-2147483649"});
    return out;
}

std::string longMantissa(Random& random) {
    std::string digits = random.digits(random.between(20, 80));
    if (random.percent(70))
        digits.insert(static_cast<std::size_t>(random.below(static_cast<int>(digits.size()))), ".");
    if (random.percent(40))
        digits += "e" + random.sign(50, 10) + std::to_string(random.between(0, 60));
    return random.sign(30, 5) + digits;
}

std::string infOrNanFloat(Random& random) {
    return random.sign(30, 10) +
           random.pick({"inf",      "INF",     "Inf",     "infinity", "INFINITY", "Infinity",
                        "infinite", "infinit", "infx",    "in",       "i",        "nan",
                        "NaN",      "NAN",     "nan(12)", "nan()",    "nan(0x7)", "nanx",
                        "na",       "n",       "nan(",    "infinityx"});
}

std::string hexFloat(Random& random) {
    if (random.percent(30))
        return random.sign(20, 5) +
               random.pick({"0x", "0X", "0xp3", "0x.p1", "0x1p", "0x1p+", "0x.8", "0x1e3",
                            "0x1P-149", "0x1p128", "0x1.fffffep127", "0x1.ffffffp127", "0xg"});
    std::string out = random.sign(20, 5) + "0x" + random.hexDigits(random.between(0, 8));
    if (random.percent(50)) out += "." + random.hexDigits(random.between(0, 8));
    if (random.percent(60))
        out += "p" + random.sign(40, 10) + std::to_string(random.between(0, 160));
    return out;
}

std::string oddFloat(Random& random) {
    return random.pick({"1e",    "1e+",   "1E-",    "1.5e",  "-.e1", ".e5", "e5",   ".",
                        "-",     "+",     "1.5.3",  "1e5e3", "1..2", "--1", "+-1",  "1e+-3",
                        "0.5f",  "1,5",   "1.5abc", "1e5x",  "-.",   "+.5", "5.",   "-5.e2",
                        "000.5", "007",   "-00",    "0.000", "00e5", ".0",  "0.",   "-0",
                        "1e-",   "2.5E+", "3e+x",   "7e-y",  "0e",   "1.e", "1.5-", "\xc2\xb5"});
}

std::string boundaryFloat(Random& random) {
    return random.sign(30, 5) + random.pick({"3.4028235e38",
                                             "3.40282347e38",
                                             "3.40282356e38",
                                             "3.4028236e38",
                                             "340282356779733661637539395458142568448",
                                             "340282356779733661637539395458142568447",
                                             "3.402823567797336e38",
                                             "1.17549435e-38",
                                             "1.1754942e-38",
                                             "1.17549428e-38",
                                             "1.4e-45",
                                             "1.401298464324817e-45",
                                             "7.006492321624085e-46",
                                             "7.0064923216240854e-46",
                                             "7.006492321624086e-46",
                                             "1e-45",
                                             "2e-45",
                                             "1.00000005960464477550",
                                             "1.0000000596046447753906249",
                                             "1.000000059604644775390625",
                                             "0.1",
                                             "16777216",
                                             "16777217",
                                             "16777218",
                                             "16777219",
                                             "33554434",
                                             "33554435",
                                             "0.3",
                                             "1e10",
                                             "1e11",
                                             "1e-10",
                                             "1e-11",
                                             "16777216e10",
                                             "16777217e-10"});
}

// Runs of digits on either side of an optional point, mostly short, now and then long enough to
// cross the one-pass reading's limits (18 digits in all, 10 after the point), and now and then
// followed by a character that does not end the token: the shapes the one-pass reading must
// decide or hand on.
std::string digitRuns(Random& random) {
    const auto runLength = [&random] {
        return random.percent(80) ? random.between(0, 9) : random.between(10, 20);
    };
    std::string out = random.sign(30, 5) + random.digits(runLength());
    if (random.percent(80)) out += "." + random.digits(runLength());
    if (random.percent(10))
        out += random.pick({"x", "e", "e5", ".", "-", "5e-3", "\x80", ":", "/", "\xba"});
    return out;
}

// The decimal kinds come first.
std::string floatToken(Random& random, bool decimalOnly) {
    const int kind = random.below(decimalOnly ? 72 : 100);
    if (kind < 12) return digitRuns(random);
    if (kind < 40) return random.sign(0, 5) + commonFloat(random);
    if (kind < 50) return anyFloat(random);
    if (kind < 54) return halfwayFloat(random);
    if (kind < 58) return nearHalfway(random);
    if (kind < 66) return boundaryFloat(random);
    if (kind < 72) return extremeExponent(random);
    if (kind < 78) return longMantissa(random);
    if (kind < 84) return infOrNanFloat(random);
    if (kind < 90) return hexFloat(random);
    return oddFloat(random);
}

std::string floatLine(Random& random, int count) {
    std::string line = random.percent(10) ? separator(random) : "";
    const bool decimalOnly = random.percent(50);
    const int tokens = tokenCount(random, count);
    for (int i = 0; i < tokens; ++i)
        line += (i > 0 ? separator(random) : "") + floatToken(random, decimalOnly);
    return finishLine(random, line + trailer(random));
}

std::string wordLine(Random& random) {
    static const char blanks[] = " \t\n\v\f\r";
    std::string line;
    const int pieces = random.between(0, 4);
    for (int i = 0; i < pieces; ++i) {
        for (int n = random.between(0, 3); n > 0; --n)
            line += blanks[random.below(6)];
        for (int n = random.percent(10) ? random.between(100, 300) : random.between(1, 20); n > 0;
             --n) {
            // Printable ASCII and bytes above 0x7f; no zero bytes and no blanks here.
            int c = random.percent(90) ? random.between(0x21, 0x7e) : random.between(0x80, 0xff);
            line += static_cast<char>(c);
        }
    }
    for (int n = random.between(0, 2); n > 0; --n)
        line += blanks[random.below(6)];
    if (line.size() > maxLineLength) line.resize(maxLineLength);
    return line;
}

// --- differential tests -----------------------------------------------------------------------

TEST(NumberScanDifferential, IntsMatchSscanf) {
    Random random(0x4B565231u);
    for (int i = 0; i < differentialLines; ++i) {
        const std::string keyword = keywords[random.below(static_cast<int>(std::size(keywords)))];
        const int count = random.between(1, maxInts);
        const std::string line = intLine(random, keyword, count);
        ASSERT_TRUE(intsMatchSscanf(line, keyword, count, static_cast<std::uint32_t>(i)))
            << "generated line #" << i;
    }
}

TEST(NumberScanDifferential, FloatsMatchSscanf) {
    Random random(0x4B565232u);
    for (int i = 0; i < differentialLines; ++i) {
        const int count = random.percent(50) ? maxFloats : random.between(1, maxFloats);
        const std::string line = floatLine(random, count);
        ASSERT_TRUE(floatsMatchSscanf(line, count, static_cast<std::uint32_t>(i)))
            << "generated line #" << i;
    }
}

// One token per line, so long halfway expansions are never cut by the line limit.
TEST(NumberScanDifferential, SingleFloatTokensMatchSscanf) {
    Random random(0x4B565233u);
    for (int i = 0; i < differentialLines; ++i) {
        // Some lines longer than the reader ever passes on, which no fast path copies.
        const std::string line =
            (random.percent(3) ? std::string(250, ' ') : "") + floatToken(random, false);
        ASSERT_TRUE(floatsMatchSscanf(line, random.between(1, 2), static_cast<std::uint32_t>(i)))
            << "generated line #" << i;
    }
}

// A line as a file holds it, with what follows it, and the line the reader hands out for it.
struct LineInText {
    std::string text;
    std::size_t lineEnd = 0; // where the text after the line feed starts
    std::string handedOut;
};

LineInText lineInText(Random& random, const std::string& generated) {
    LineInText in;
    std::string line = generated.substr(0, generated.find('\n'));
    // Now and then longer than the reader passes on, so that it cuts a field or drops one.
    if (random.percent(4)) line += std::string(random.between(1, 40), ' ') + "7 8.5 9";
    const bool crlf = random.percent(20);
    in.text = line + (crlf ? "\r\n" : "\n");
    in.lineEnd = in.text.size();
    in.text += random.pick({"", "1 2 3\n", "\n", "-5.5e3 0\n"});
    // A carriage return before the line feed is dropped too; to sscanf it is a blank either way.
    in.handedOut = line.substr(0, maxLineLength);
    return in;
}

// Wherever the one pass takes a line straight from the text, it must store what sscanf stores
// for the line the reader would hand out, and go on after its line feed; any line it leaves goes
// the usual way, so leaving one is always right. It must take most plain lines, though.
TEST(NumberScanDifferential, LinesTakenFromTextMatchSscanf) {
    Random random(0x4B565235u);
    int taken = 0;
    for (int i = 0; i < differentialLines; ++i) {
        const bool floats = random.percent(50);
        const int count = floats ? maxFloats : maxInts;
        const LineInText in =
            lineInText(random, floats ? floatLine(random, count) : intLine(random, "", count));
        const auto salt = static_cast<std::uint32_t>(i);
        float floatFields[maxFloats];
        int intFields[maxInts];
        preloadFloats(floatFields, salt);
        preloadInts(intFields, salt);
        int result = -3;
        const char* next = floats ? scanFloatsInText(in.text.c_str(), floatFields, count, result)
                                  : scanIntsInText(in.text.c_str(), intFields, count, result);
        if (next == nullptr) continue;
        ++taken;
        ASSERT_EQ(next, in.text.c_str() + in.lineEnd) << printable(in.text);
        float expectedFloats[maxFloats];
        int expectedInts[maxInts];
        preloadFloats(expectedFloats, salt);
        preloadInts(expectedInts, salt);
        const std::string pattern = floats ? floatPattern(count) : intPattern("", count);
        const float* e = expectedFloats;
        const int expected =
            floats ? std::sscanf(in.handedOut.c_str(), pattern.c_str(), &e[0], &e[1], &e[2], &e[3],
                                 &e[4], &e[5], &e[6], &e[7])
                   : std::sscanf(in.handedOut.c_str(), pattern.c_str(), &expectedInts[0],
                                 &expectedInts[1], &expectedInts[2]);
        ASSERT_EQ(result, expected) << printable(in.text);
        if (floats)
            ASSERT_EQ(std::memcmp(floatFields, expectedFloats, sizeof floatFields), 0)
                << printable(in.text) << "\n  sscanf:     " << describeFloats(expected, e)
                << "\n  from text: " << describeFloats(result, floatFields);
        else
            ASSERT_EQ(std::memcmp(intFields, expectedInts, sizeof intFields), 0)
                << printable(in.text) << "\n  sscanf:   " << describeInts(expected, expectedInts)
                << "\n  from text: " << describeInts(result, intFields);
    }
    EXPECT_GT(taken, differentialLines / 4);
}

// Lines the one pass must leave to the usual reading, whatever their fields.
TEST(NumberScanInText, LeavesLinesItCannotTakeWhole) {
    // 256 characters: the reader hands out "1 2 " and two fields.
    const std::string longLine = std::string(251, ' ') + "1 2 3\n";
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {longLine, "cut by the reader at 255 characters"},
        {"1 2\0 3\n", "a zero byte inside"},
        {"1 2 3 4\n", "characters after the last field"},
        {"1 2 3", "no line feed in the text"},
        {" \t\r\n", "no field"},
        {"1 2 x\n", "a field the one pass cannot decide"},
    };
    for (const auto& c : cases) {
        int values[maxInts] = {};
        int result = 0;
        const std::string text = c.text + std::string(1, '\0');
        EXPECT_EQ(scanIntsInText(text.data(), values, 3, result), nullptr) << c.why;
    }
    int values[maxInts] = {};
    int result = 0;
    const std::string fits = std::string(240, ' ') + "1 2 3\r\n4 5 6\n";
    EXPECT_EQ(scanIntsInText(fits.c_str(), values, 3, result), fits.c_str() + 247);
    EXPECT_EQ(result, 3);
    EXPECT_EQ(values[2], 3);
}

TEST(NumberScanDifferential, WordsMatchSscanf) {
    Random random(0x4B565234u);
    const std::size_t fieldSizes[] = {256, 256, 256, 2, 3, 8, 16, 64};
    for (int i = 0; i < differentialLines; ++i) {
        const std::string line = wordLine(random);
        const std::size_t fieldSize =
            fieldSizes[random.below(static_cast<int>(std::size(fieldSizes)))];
        ASSERT_TRUE(wordMatchesSscanf(line, fieldSize)) << "generated line #" << i;
    }
}

// --- named cases ------------------------------------------------------------------------------

struct IntsResult {
    int result;
    int values[maxInts];
};

// Scans with fields preloaded to -7 and checks both the stated result and sscanf's agreement.
void expectInts(const std::string& line, const std::string& keyword, int count,
                IntsResult expected) {
    SCOPED_TRACE("line " + printable(line) + ", keyword " + printable(keyword));
    int values[maxInts] = {-7, -7, -7};
    EXPECT_EQ(scanInts(line.c_str(), keyword.c_str(), values, count), expected.result);
    for (int i = 0; i < maxInts; ++i)
        EXPECT_EQ(values[i], expected.values[i]) << "field " << i;
    EXPECT_TRUE(intsMatchSscanf(line, keyword, count));
}

struct FloatsResult {
    int result;
    std::vector<float> values;
};

void expectFloats(const std::string& line, int count, FloatsResult expected) {
    SCOPED_TRACE("line " + printable(line));
    float values[maxFloats];
    for (float& v : values)
        v = -7.0f;
    EXPECT_EQ(scanFloats(line.c_str(), values, count), expected.result);
    for (std::size_t i = 0; i < expected.values.size(); ++i)
        EXPECT_EQ(bitsOf(values[i]), bitsOf(expected.values[i]))
            << "field " << i << ": " << values[i] << " instead of " << expected.values[i];
    EXPECT_TRUE(floatsMatchSscanf(line, count));
}

TEST(NumberScanInts, PlainDecimals) {
    expectInts("123 124 125", "", 3, {3, {123, 124, 125}});
    expectInts("-1 +2 0", "", 3, {3, {-1, 2, 0}});
    expectInts("\t7\v8\f9\r", "", 3, {3, {7, 8, 9}});
    expectInts("1 2 3 4 5", "", 3, {3, {1, 2, 3}});
    expectInts("-0 +0 0", "", 3, {3, {0, 0, 0}});
}

TEST(NumberScanInts, OctalAndHexIntegers) {
    expectInts("08 1 2", "", 3, {3, {0, 8, 1}});
    expectInts("010 1 2", "", 3, {3, {8, 1, 2}});
    expectInts("0x1F -0X10 +0x0", "", 3, {3, {31, -16, 0}});
    expectInts("0x 5 6", "", 3, {3, {0, 5, 6}}); // a bare "0x" reads as 0
    expectInts("0xg 5", "", 2, {1, {0, -7, -7}});
    expectInts("-017 0777", "", 2, {2, {-15, 511, -7}});
    expectInts("0xffffffff", "", 1, {1, {-1, -7, -7}});
}

// The binary prefix as the C standard reads it; like "0x", the prefix alone reads 0.
TEST(NumberScanInts, BinaryIntegers) {
    expectInts("0b101 -0B11 +0b1", "", 3, {3, {5, -3, 1}});
    expectInts("GEOM 0b110\t0b0", "GEOM", 2, {2, {6, 0, -7}});
    expectInts("0b 7 0b12", "", 3, {3, {0, 7, 1}});
    expectInts("0b2 7", "", 2, {2, {0, 2, -7}});
    expectInts("-0b 7", "", 2, {2, {0, 7, -7}});
    expectInts("0bz 7", "", 2, {1, {0, -7, -7}});
    expectInts("0b1x 7", "", 2, {1, {1, -7, -7}});
    expectInts("00b1", "", 1, {1, {0, -7, -7}}); // octal 0, then "b1"
    // Like any %i, the long strtol makes of it, held at the long's limits, then its low bits.
    const std::string ones(64, '1');
    expectInts("0b1" + std::string(32, '0') + " 0b" + ones + " -0b" + ones, "", 3, {3, {0, -1, 0}});
    const std::string twoTo63 = "0b1" + std::string(63, '0');
    expectInts(twoTo63 + " -" + twoTo63 + " 0b1" + std::string(64, '0'), "", 3, {3, {-1, 0, -1}});
}

TEST(NumberScanInts, OverflowKeepsLowBitsOfLong) {
    expectInts("2147483647 2147483648 -2147483649", "", 3, {3, {INT_MAX, INT_MIN, INT_MAX}});
    expectInts("4294967296 9999999999", "", 2, {2, {0, 1410065407, -7}});
    // strtol saturates to LONG_MAX and LONG_MIN before the cast to int.
    expectInts("99999999999999999999 -99999999999999999999", "", 2, {2, {-1, 0, -7}});
    expectInts(
        "999999999999999999 -999999999999999999", "", 2,
        {2, {static_cast<int>(999999999999999999LL), static_cast<int>(-999999999999999999LL), -7}});
}

TEST(NumberScanInts, KeywordMatching) {
    expectInts("GEOM 3 4", "GEOM", 2, {2, {3, 4, -7}});
    expectInts("GEOM\t3\t\t4 extra", "GEOM", 2, {2, {3, 4, -7}});
    expectInts("GEOM5 6", "GEOM", 2, {2, {5, 6, -7}}); // the blank matches no blank too
    expectInts("groups 2", "GROUPS", 1, {0, {-7, -7, -7}});
    expectInts(" GEOM 1 2", "GEOM", 2, {0, {-7, -7, -7}});
    expectInts("GEOMETRY 1", "GEOM", 1, {0, {-7, -7, -7}});
    expectInts("MATERIALS 4", "MATERIAL", 1, {0, {-7, -7, -7}});
    expectInts("GEO", "GEOM", 1, {EOF, {-7, -7, -7}});
    expectInts("GEOM", "GEOM", 1, {EOF, {-7, -7, -7}});
    expectInts("GEOM 1", "GEOM", 2, {1, {1, -7, -7}});
    expectInts("TEX   UNIT 4", "TEX UNIT", 1, {1, {4, -7, -7}});
    expectInts("TEXUNIT 4", "TEX UNIT", 1, {1, {4, -7, -7}});
    // "%%" in a keyword is a directive matching one '%'.
    expectInts("A% 5", "A%%", 1, {1, {5, -7, -7}});
    EXPECT_TRUE(intsMatchSscanf("A %5", "A%%", 1));
    EXPECT_TRUE(intsMatchSscanf("A%%5", "A%%", 1));
    const std::string longKeyword(300, 'K');
    expectInts(std::string(255, 'K'), longKeyword, 1, {EOF, {-7, -7, -7}});
    expectInts(std::string(200, 'K') + " 1", longKeyword, 1, {0, {-7, -7, -7}});
}

TEST(NumberScanInts, MissingNumbersAndEndOfLine) {
    expectInts("", "", 3, {EOF, {-7, -7, -7}});
    expectInts(" \t\r", "", 3, {EOF, {-7, -7, -7}});
    expectInts("", "GEOM", 2, {EOF, {-7, -7, -7}});
    expectInts("1 2", "", 3, {2, {1, 2, -7}});
    expectInts("1 x 3", "", 3, {1, {1, -7, -7}});
    expectInts("abc", "", 3, {0, {-7, -7, -7}});
    expectInts("- 1", "", 2, {0, {-7, -7, -7}});
    expectInts("1.5 2", "", 2, {1, {1, -7, -7}});
    expectInts("12abc 5", "", 2, {1, {12, -7, -7}});
}

TEST(NumberScanFloats, PlainDecimals) {
    expectFloats("0.123456 -1.5 2.25 0 1 0 0.5 0.75", 8,
                 {8, {0.123456f, -1.5f, 2.25f, 0.0f, 1.0f, 0.0f, 0.5f, 0.75f}});
    expectFloats("1.5e-3 +7 .5 5. -0", 5, {5, {1.5e-3f, 7.0f, 0.5f, 5.0f, -0.0f}});
    expectFloats("1 2", 4, {2, {1.0f, 2.0f, -7.0f, -7.0f}});
}

TEST(NumberScanFloats, FloatRoundingEdges) {
    // Halfway between floats: ties go to the even neighbour, anything above rounds up.
    expectFloats("16777217 16777219 16777217.000001", 3,
                 {3, {16777216.0f, 16777220.0f, 16777218.0f}});
    // Just above a midpoint by less than a double resolves: rounding through double first
    // would land on the midpoint and tie down to the even neighbour.
    expectFloats("1.00000005960464477550 16777217.0000000001 18014399583223809", 3,
                 {3, {0x1.000002p+0f, 16777218.0f, 0x1.000002p+54f}});
    expectFloats("1.000000059604644775390625", 1, {1, {1.0f}});
    expectFloats("0.1 0.3", 2, {2, {0x1.99999ap-4f, 0x1.333334p-2f}});
    expectFloats("1e-45 7e-46 1.17549428e-38", 3, {3, {0x1p-149f, 0.0f, 0x1.fffffcp-127f}});
    expectFloats("3.4028235e38 3.4028236e38 1e39", 3, {3, {FLT_MAX, HUGE_VALF, HUGE_VALF}});
    expectFloats("1e-50 -1e-50", 2, {2, {0.0f, -0.0f}});
    expectFloats("123456789012345678901234567890.5e-20", 1, {1, {1234567890.12345678f}});
}

TEST(NumberScanFloats, IncompleteExponents) {
    // glibc takes "e" and its sign into the number, then converts only what precedes them.
    expectFloats("1e 2", 2, {2, {1.0f, 2.0f}});
    expectFloats("1e+ 2", 2, {2, {1.0f, 2.0f}});
    expectFloats("1.5E- 3", 2, {2, {1.5f, 3.0f}});
    expectFloats("1e5e3", 2, {1, {1e5f, -7.0f}});
    expectFloats("1.5.3", 2, {2, {1.5f, 0.3f}});
    expectFloats(". 2", 2, {0, {-7.0f, -7.0f}});
    expectFloats("- 2", 2, {0, {-7.0f, -7.0f}});
}

TEST(NumberScanFloats, InfinityNanAndHex) {
    expectFloats("inf -INFINITY Infx", 3, {3, {HUGE_VALF, -HUGE_VALF, HUGE_VALF}});
    expectFloats("infinite 2", 2, {0, {-7.0f, -7.0f}}); // "infinit" then a wrong letter
    expectFloats("0x1p3 -0X1.8p-1 0x1p", 3, {3, {8.0f, -0.75f, 1.0f}});
    expectFloats("0x 2", 2, {0, {-7.0f, -7.0f}});
    EXPECT_TRUE(floatsMatchSscanf("-nan NAN", 2));
}

// A NaN's payload in parentheses belongs to the field, with the bits strtof gives it; a
// parenthesis left open, or holding a character no payload has, matches nothing.
TEST(NumberScanFloats, NanPayloadsAsTheStandardReadsThem) {
    const auto nan = [](const char* text) { return std::strtof(text, nullptr); };
    expectFloats("nan(12) 3 -NAN(0x7) nan() NaN(a_Z9)\t+nan(077)", 6,
                 {6,
                  {nan("nan(12)"), 3.0f, nan("-NAN(0x7)"), nan("nan()"), nan("NaN(a_Z9)"),
                   nan("nan(077)")}});
    expectFloats("nan(12)x 3", 2, {1, {nan("nan(12)"), -7.0f}});
    expectFloats("nan(1)(2) 3", 2, {1, {nan("nan(1)"), -7.0f}});
    expectFloats("1 nan(12 3", 3, {1, {1.0f, -7.0f, -7.0f}});
    expectFloats("nan( 3", 2, {0, {-7.0f, -7.0f}});
    expectFloats("nan(1.5) 3", 2, {0, {-7.0f, -7.0f}});
    expectFloats("nan(-1) 3", 2, {0, {-7.0f, -7.0f}});
    expectFloats("nan(", 1, {0, {-7.0f}});
}

TEST(NumberScanFloats, EmptyAndBlankLines) {
    expectFloats("", 8, {EOF, {-7.0f}});
    expectFloats(" \t\v\f\r", 8, {EOF, {-7.0f}});
}

TEST(NumberScanWord, WordCutToField) {
    char field[8];
    EXPECT_EQ(scanWord("  texture.png next", field, sizeof field), 1);
    EXPECT_STREQ(field, "texture");
    EXPECT_TRUE(wordMatchesSscanf("  texture.png next", sizeof field));

    char wide[256];
    const std::string longest(255, 'w');
    EXPECT_EQ(scanWord(longest.c_str(), wide, sizeof wide), 1);
    EXPECT_EQ(std::string(wide), longest);
    EXPECT_TRUE(wordMatchesSscanf(longest, sizeof wide));
}

TEST(NumberScanWord, BlankLineIsEof) {
    char field[16] = "kept";
    EXPECT_EQ(scanWord("", field, sizeof field), EOF);
    EXPECT_EQ(scanWord(" \t\r\v\f\n", field, sizeof field), EOF);
    EXPECT_STREQ(field, "kept");
}

} // namespace
