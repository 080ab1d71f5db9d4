// Fuzz target: the number rule of fields and group texts, and the texts of
// report numbers, each against an independent reading or writing.
//
// Input: the whole input is a text for the number rule; its first 8 bytes are
// also a double and its first 4 a float for the report number formats, and
// every number the rule accepts is formatted too.
#include "report/NumberFormat.h"
#include "data/NumberText.h"
#include "FuzzCheck.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// The references below use the C library's conversions, which read and write
// "." in the "C" locale this program keeps: they are independent of the
// std::from_chars / std::to_chars code under test.

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number rule as its grammar: blanks, an optional sign, digits with an
// optional decimal point (at least one digit), an optional exponent (e or E,
// an optional sign, digits), blanks.
bool followsGrammar(std::string_view text)
{
    size_t i = 0;
    const auto digits = [&] {
        const size_t start = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        return i - start;
    };
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t mantissaDigits = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    return i == text.size();
}

std::string shown(std::string_view text)
{
    std::string s = "\"";
    for (const char c : text.substr(0, 200)) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
        s += (c >= 32 && c < 127) ? std::string(1, c) : std::string(escaped);
    }
    return s + "\"";
}

std::string printed(const char* format, double value, int precision = -1)
{
    char buffer[1024];
    if (precision < 0)
        std::snprintf(buffer, sizeof buffer, format, value);
    else
        std::snprintf(buffer, sizeof buffer, format, precision, value);
    return buffer;
}

double readBack(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    FUZZ_CHECK(end == text.c_str() + text.size(), "unreadable text " + text);
    return value;
}

// The same with more precision and range than a double, for measuring how far
// a shortened text lies from its value.
long double readBackExactly(const std::string& text)
{
    char* end = nullptr;
    const long double value = std::strtold(text.c_str(), &end);
    FUZZ_CHECK(end == text.c_str() + text.size(), "unreadable text " + text);
    return value;
}

// "-0" and the like lose their sign; no report shows a negative zero.
std::string withoutMinusZero(std::string text)
{
    if (!text.empty() && text[0] == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

void checkNumberRule(std::string_view text)
{
    const std::optional<float> number = parseNumber(text);
    if (!followsGrammar(text)) {
        FUZZ_CHECK(!number, "accepted " + shown(text));
        return;
    }
    // Read straight to the nearest float, rounded once; beyond the
    // single-precision range it is no number.
    const float nearest = std::strtof(std::string(text).c_str(), nullptr);
    if (std::isinf(nearest)) {
        FUZZ_CHECK(!number, "accepted out of range " + shown(text));
        return;
    }
    FUZZ_CHECK(number.has_value(), "refused " + shown(text));
    FUZZ_CHECK(std::bit_cast<uint32_t>(*number) == std::bit_cast<uint32_t>(nearest),
        "wrong value for " + shown(text));
}

// The import reads numbers straight from a line: what it takes must be a
// number by the rule, with the same value.
void checkScannedPrefix(std::string_view text)
{
    float value = 0.0f;
    const char* end = scanNumber(text.data(), text.data() + text.size(), value);
    if (end == nullptr)
        return;
    FUZZ_CHECK(end > text.data() && end <= text.data() + text.size());
    const std::string_view taken(text.data(), static_cast<size_t>(end - text.data()));
    FUZZ_CHECK(taken.front() != ' ' && taken.back() != ' ', shown(taken));
    const std::optional<float> whole = parseNumber(taken);
    FUZZ_CHECK(whole && std::bit_cast<uint32_t>(*whole) == std::bit_cast<uint32_t>(value),
        "scanned " + shown(taken));
}

void checkReportNumber(double x)
{
    const std::string text = formatReportNumber(x);
    // The C library's "%.3f" rounds the exact binary value, ties to even.
    std::string expected = withoutMinusZero(printed("%.3f", x));
    while (expected.back() == '0')
        expected.pop_back();
    if (expected.back() == '.')
        expected.pop_back();
    expected = withoutMinusZero(expected);
    FUZZ_CHECK(text == expected, printed("%.17g", x) + " gave " + text + ", not " + expected);
    FUZZ_CHECK(readBack(text) == roundTo3Decimals(x), printed("%.17g", x));
}

// One unit in the last digit a fitted text shows: "1234.567" shows 0.001,
// "1.23E+11" shows 1E+09.
long double unitShown(const std::string& text)
{
    const size_t e = text.find('E');
    const std::string mantissa = text.substr(0, e);
    const size_t point = mantissa.find('.');
    const int decimals
        = point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
    const int exponent = e == std::string::npos ? 0 : std::atoi(text.c_str() + e + 1);
    return std::pow(10.0L, exponent - decimals);
}

void checkGeneralForm(double x, int digits)
{
    const std::string text = formatGeneral(x, digits);
    FUZZ_CHECK(text == withoutMinusZero(printed("%.*G", x, digits)),
        printed("%.17g", x) + " gave " + text);
    const std::string comma = formatGeneral(x, digits, ',');
    std::string dotted = comma;
    for (char& c : dotted)
        c = c == ',' ? '.' : c;
    FUZZ_CHECK(dotted == text && comma.find('.') == std::string::npos, comma);
    FUZZ_CHECK(readBack(text) == readBack(printed("%.*e", x, digits - 1)), text);

    // Fitted into a report field of 9: never longer, and never off by a unit
    // or more in its last digit, whatever it dropped.
    const std::string fitted = fitNumberText(text, x, 9);
    FUZZ_CHECK(fitted.size() <= 9, fitted);
    FUZZ_CHECK(fitted == withoutMinusZero(fitted), fitted);
    const long double error = std::fabs(readBackExactly(fitted) - x);
    FUZZ_CHECK(error < unitShown(fitted) * (1 + 1e-12L),
        printed("%.17g", x) + " fitted as " + fitted + " from " + text);
}

// Report numbers, and the mean and SD of Descriptives, are doubles shown with
// up to 15 digits; minimum, maximum and the navigator's cells are singles
// shown with up to 7.
void checkFormats(double x)
{
    if (!std::isfinite(x))
        return;
    checkReportNumber(x);
    checkGeneralForm(x, 15);
    const float single = static_cast<float>(x);
    if (std::isfinite(single))
        checkGeneralForm(single, 7);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkNumberRule(text);
    checkScannedPrefix(text);
    if (const std::optional<float> number = parseNumber(text))
        checkFormats(*number);
    if (size >= sizeof(double)) {
        double x;
        std::memcpy(&x, data, sizeof x);
        checkFormats(x);
    }
    if (size >= sizeof(float)) {
        float f;
        std::memcpy(&f, data, sizeof f);
        checkFormats(f);
    }
    return 0;
}
