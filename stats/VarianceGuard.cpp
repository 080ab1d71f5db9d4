// Guard against variances from running sums that cancellation has ruined.
#include "stats/VarianceGuard.h"

#include <cmath>

double guardedVariance(double computed, double exact)
{
    if (!std::isfinite(computed) || computed < 0.0
        || std::fabs(computed - exact) > 0.001 * std::fabs(exact))
        return exact;
    return computed;
}

double exactVariance(std::span<const float> values)
{
    const double n = static_cast<double>(values.size());
    double sum = 0.0;
    for (float x : values)
        sum += x;
    const double mean = sum / n;
    double squares = 0.0;
    for (float x : values) {
        const double d = x - mean;
        squares += d * d;
    }
    return squares / (n - 1.0);
}

double varianceFromShiftedSums(double count, double sum, double sumOfSquares)
{
    const double variance = (sumOfSquares - sum * sum / count) / (count - 1.0);
    return variance > 0.0 ? variance : 0.0;
}
