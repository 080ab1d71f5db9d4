// What the bootstrap pictures draw: quartiles, box-plot summaries and histogram bins.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Every quartile in the pictures follows one rule: linear interpolation
// between order statistics (R's type 7, the default of R and numpy). For n
// sorted values x[0..n-1] the p-quantile is x[j] + g (x[j+1] - x[j]) with
// h = (n - 1) p, j = floor(h), g = h - j.
struct Quartiles {
    double lower = 0.0;
    double median = 0.0;
    double upper = 0.0;
};

// Values that are not finite are left out of every summary below: they have
// no place on an axis, and no order among the others.

// The quartiles of `values` (any order), found by partial ordering in linear
// time; none gives zeros. `values` is reordered.
Quartiles quartiles(std::span<float> values);

// A box plot of one group: quartiles, whiskers to the furthest values within
// 1.5 interquartile ranges of the box, and the values beyond them.
struct BoxSummary {
    Quartiles quartiles;
    double lowerWhisker = 0.0;
    double upperWhisker = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    // How many values lie beyond the whiskers.
    int64_t lngOutliers = 0;
    // The values beyond the whiskers, ascending, one per thousandth of the
    // group's range: markers closer than that overlap on any screen, and a
    // million observations would otherwise give thousands of them.
    std::vector<float> outliers;
};

// The box plot of `values` (any order); none gives zeros and no outliers.
BoxSummary boxSummary(std::span<const float> values);

// Equal-width bins from `start`, `counts.size()` of them, the last one closed
// on both sides.
struct Histogram {
    double start = 0.0;
    double binWidth = 1.0;
    std::vector<int64_t> counts;

    double end() const { return start + binWidth * static_cast<double>(counts.size()); }
};

// The histogram of `values` (any order; none gives no bins) by the
// Freedman-Diaconis rule: bins of width 2 IQR n^(-1/3) over the values'
// range, their number ceil(range / width) held between 1 and `maxBins`,
// then widened to cover the range exactly. Equal values give one bin of
// width 1 around them; an interquartile range of 0 with values that still
// differ gives Sturges' ceil(log2 n) + 1 bins instead.
Histogram freedmanDiaconis(std::span<const float> values, int32_t maxBins = 100);
