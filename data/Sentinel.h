// The one code that stands for "no value" throughout the program.
#pragma once

#include <cstdint>

// 9999999 marks a missing entry in the data set, an effect size that cannot be
// computed, and a variable list with nothing checked. Data values are compared
// with it exactly.
inline constexpr int32_t SENTINEL_CODE = 9999999;
