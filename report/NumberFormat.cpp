// How report numbers become text.
#include "report/NumberFormat.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

std::string toChars(double value, std::chars_format format, int precision)
{
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return std::string(buffer, result.ptr);
}

// "-0" and "-0E+00"-like texts of a value that rounded to zero lose their sign.
std::string withoutNegativeZero(std::string text)
{
    if (!text.empty() && text.front() == '-'
        && std::none_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; }))
        text.erase(0, 1);
    return text;
}

// Drops trailing zeros after a decimal point, and the point itself when bare.
std::string trimFraction(std::string mantissa)
{
    if (mantissa.find('.') == std::string::npos)
        return mantissa;
    while (mantissa.back() == '0')
        mantissa.pop_back();
    if (mantissa.back() == '.')
        mantissa.pop_back();
    return mantissa;
}

// to_chars writes "1.5e+07"; reports write "1.5E+07" with the given separator.
std::string styled(std::string text, char decimalSeparator)
{
    for (char& c : text) {
        if (c == 'e')
            c = 'E';
        else if (c == '.')
            c = decimalSeparator;
    }
    return text;
}

std::string scientificWithin(double value, std::size_t width, char decimalSeparator)
{
    std::string text;
    for (int precision = static_cast<int>(width); precision >= 0; --precision) {
        text = toChars(value, std::chars_format::scientific, precision);
        const std::size_t e = text.find('e');
        text = withoutNegativeZero(trimFraction(text.substr(0, e)) + text.substr(e));
        if (text.size() <= width)
            break;
    }
    return styled(text, decimalSeparator);
}

} // namespace

std::string formatReportNumber(double value)
{
    return withoutNegativeZero(trimFraction(toChars(value, std::chars_format::fixed, 3)));
}

double roundTo3Decimals(double value)
{
    const std::string text = toChars(value, std::chars_format::fixed, 3);
    double rounded = value;
    std::from_chars(text.data(), text.data() + text.size(), rounded);
    return rounded;
}

std::string formatGeneral(double value, int significantDigits, char decimalSeparator)
{
    const std::string text = toChars(value, std::chars_format::general, significantDigits);
    return styled(withoutNegativeZero(text), decimalSeparator);
}

std::string fitNumberText(const std::string& text, double value, std::size_t width,
                          char decimalSeparator)
{
    if (text.size() <= width)
        return text;
    const bool hasExponent = text.find('E') != std::string::npos;
    const std::size_t point = text.find(decimalSeparator);
    if (!hasExponent && point != std::string::npos && point <= width)
        return text.substr(0, width);
    return scientificWithin(value, width, decimalSeparator);
}
