// Guard against variances from running sums that cancellation has ruined.
#pragma once

#include <span>

// The variance to keep: `computed` (from running sums of values and squares)
// unless it is negative, not finite, or off from `exact` by more than 0.1% of
// it, in which case `exact`. Ordinary data keep the result from their sums;
// equal values get exactly 0.
double guardedVariance(double computed, double exact);

// Unbiased variance of `values` in double precision by two passes (mean first,
// then squared deviations). Needs at least two values.
double exactVariance(std::span<const float> values);

// Unbiased variance of `count` values from the sums of their differences from
// a shift and of the squared differences, in double precision. A shift near
// the values keeps cancellation small; values all equal to the shift give
// exactly 0. Never negative.
double varianceFromShiftedSums(double count, double sum, double sumOfSquares);
