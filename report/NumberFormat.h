// How report numbers become text.
#pragma once

#include <string>

// `value` rounded on its exact binary value to 3 decimals, exact ties to even,
// written in plain positional form without trailing zeros: "2.5", "0.996",
// "-1.25", "0", never "-0" and never an exponent.
std::string formatReportNumber(double value);

// `value` rounded on its exact binary value to 3 decimals, exact ties to even,
// as the nearest double.
double roundTo3Decimals(double value);

// The general form of `value` with at most `significantDigits` significant
// digits: trailing zeros dropped, positional unless the decimal exponent is
// below -4 or at least `significantDigits`, then "1.5E+07" / "1.5E-05".
// `decimalSeparator` replaces ".". Never "-0".
std::string formatGeneral(double value, int significantDigits, char decimalSeparator = '.');

// Fits a number's text into `width` characters by dropping digits after the
// decimal point only. A text whose integer digits or exponent would be lost is
// written instead in exponent form with as many significant digits as fit,
// so that the magnitude shown is always right: "1.235E+11", "-1.23E+07".
std::string fitNumberText(const std::string& text, double value, std::size_t width,
                          char decimalSeparator = '.');
