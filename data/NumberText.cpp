// The number rule shared by data fields and group texts.
#include "data/NumberText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <string>
#include <cstdint>
#include <system_error>

namespace {

// An exponent this far out is beyond every floating range already.
constexpr int64_t EXPONENT_LIMIT = 1'000'000'000;

// A number text taken apart by the grammar.
struct NumberParts {
    const char* integerBegin = nullptr; // first byte after the sign
    const char* integerEnd = nullptr;
    const char* fractionBegin = nullptr;
    const char* fractionEnd = nullptr;
    const char* end = nullptr; // one past the last byte of the number
    bool negative = false;
    int64_t exponent = 0; // written after e/E, saturated at EXPONENT_LIMIT
    uint64_t digitValue = 0; // integer and fraction digits as one integer, while at most 19
    int digitCount = 0;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads decimal digits from p into the digit value and returns where they end.
const char* readDigits(const char* p, const char* end, NumberParts& parts)
{
    for (; p != end && isDigit(*p); ++p) {
        parts.digitValue = parts.digitValue * 10 + static_cast<unsigned>(*p - '0');
        ++parts.digitCount;
    }
    return p;
}

// Reads "e" or "E", an optional sign and at least one digit; returns p
// unmoved when no such exponent starts there.
const char* readExponent(const char* p, const char* end, int64_t& exponent)
{
    if (p == end || (*p != 'e' && *p != 'E'))
        return p;
    const char* q = p + 1;
    const bool negative = q != end && *q == '-';
    if (q != end && (*q == '+' || *q == '-'))
        ++q;
    if (q == end || !isDigit(*q))
        return p;
    for (; q != end && isDigit(*q); ++q)
        exponent = std::min(EXPONENT_LIMIT, exponent * 10 + (*q - '0'));
    if (negative)
        exponent = -exponent;
    return q;
}

// Takes apart the longest number at the start of [p, end): an optional sign,
// digits with an optional point (at least one digit), an optional exponent.
bool splitNumber(const char* p, const char* end, NumberParts& parts)
{
    if (p != end && (*p == '+' || *p == '-')) {
        parts.negative = *p == '-';
        ++p;
    }
    parts.integerBegin = p;
    parts.integerEnd = p = readDigits(p, end, parts);
    parts.fractionBegin = parts.fractionEnd = p;
    if (p != end && *p == '.') {
        parts.fractionBegin = p + 1;
        parts.fractionEnd = p = readDigits(p + 1, end, parts);
    }
    if (parts.digitCount == 0)
        return false;
    parts.end = readExponent(p, end, parts.exponent);
    return true;
}

// The double nearest a short number in one step: when its digits fit in 53
// bits and the power of ten is exact, a single multiplication or division
// rounds once. Such a number is 0 or lies between 10^-22 and 2^53 * 10^22,
// in the normal single-precision range.
bool nearestDouble(const NumberParts& parts, double& magnitude)
{
    static constexpr double POWERS_OF_TEN[] = { 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9,
        1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22 };
    constexpr int64_t LARGEST_POWER = 22;
    if (parts.digitCount > 19 || parts.digitValue > (uint64_t { 1 } << 53))
        return false;
    const int64_t power = parts.exponent - (parts.fractionEnd - parts.fractionBegin);
    if (power < -LARGEST_POWER || power > LARGEST_POWER)
        return false;
    const double digits = static_cast<double>(parts.digitValue);
    magnitude = power < 0 ? digits / POWERS_OF_TEN[-power] : digits * POWERS_OF_TEN[power];
    return true;
}

// True when a double of the normal single-precision range lies exactly
// halfway between two neighbouring floats: its 29 bits beyond a float's
// significand are 1 followed by zeros (never so for 0).
bool isHalfwayBetweenFloats(double x)
{
    constexpr uint64_t DROPPED_BITS = (uint64_t { 1 } << 29) - 1;
    constexpr uint64_t HALF = uint64_t { 1 } << 28;
    return (std::bit_cast<uint64_t>(x) & DROPPED_BITS) == HALF;
}

// The common short number: the nearest double rounded to single precision is
// the float nearest the text, as every halfway point between floats is a
// double, unless that double is itself such a halfway point (the text may lie
// on either side of it, or on it). Those take the full conversion.
bool convertShort(const NumberParts& parts, float& magnitude)
{
    double wide = 0.0;
    if (!nearestDouble(parts, wide) || isHalfwayBetweenFloats(wide))
        return false;
    magnitude = static_cast<float>(wide);
    return true;
}

// Decimal exponent of the first non-zero digit of a number that is not zero
// (1 for "12.5", -2 for "0.03e0").
int64_t leadingExponent(const NumberParts& parts)
{
    for (const char* d = parts.integerBegin; d != parts.integerEnd; ++d) {
        if (*d != '0')
            return parts.exponent + (parts.integerEnd - d) - 1;
    }
    for (const char* d = parts.fractionBegin; d != parts.fractionEnd; ++d) {
        if (*d != '0')
            return parts.exponent - (d - parts.fractionBegin) - 1;
    }
    return parts.exponent;
}

// Any other number: the full conversion straight to single precision,
// rounded once (the sign was taken apart: from_chars reads no "+").
bool convertLong(const NumberParts& parts, float& magnitude)
{
    const auto [ptr, ec] = std::from_chars(parts.integerBegin, parts.end, magnitude);
    if (ec == std::errc::result_out_of_range) {
        // Beyond single-precision range: too large is no number, too small is 0.
        magnitude = 0.0f;
        return leadingExponent(parts) < 0;
    }
    return ec == std::errc() && ptr == parts.end;
}

} // namespace

const char* scanNumber(const char* begin, const char* end, float& value)
{
    NumberParts parts;
    float magnitude = 0.0f;
    if (!splitNumber(begin, end, parts)
        || !(convertShort(parts, magnitude) || convertLong(parts, magnitude)))
        return nullptr;
    value = parts.negative ? -magnitude : magnitude;
    return parts.end;
}

std::optional<float> parseNumber(std::string_view text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && *begin == ' ')
        ++begin;
    while (end != begin && end[-1] == ' ')
        --end;
    float value = 0.0f;
    const char* stop = scanNumber(begin, end, value);
    if (stop == nullptr || stop != end)
        return std::nullopt;
    return value;
}

std::optional<float> parseNumber(std::string_view text, bool decimalComma)
{
    std::optional<float> number = parseNumber(text);
    if (!number && decimalComma && text.find(',') != std::string_view::npos) {
        std::string withPoint(text);
        std::replace(withPoint.begin(), withPoint.end(), ',', '.');
        number = parseNumber(withPoint);
    }
    return number;
}

bool isMissingText(std::string_view text)
{
    return text.empty() || text == "." || text == " ";
}
