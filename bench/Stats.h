// Order statistics of a series of timings.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace bench {

struct Summary {
    double median = 0.0;
    double p99 = 0.0;
    double max = 0.0;
};

// Nearest-rank percentiles: the value at or below which q of the samples lie.
inline double percentile(std::vector<double> values, double q) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(values.size())));
    return values[std::min(values.size() - 1, rank == 0 ? 0 : rank - 1)];
}

inline Summary summarise(const std::vector<double>& values) {
    Summary s;
    if (values.empty()) return s;
    s.median = percentile(values, 0.5);
    s.p99 = percentile(values, 0.99);
    s.max = *std::max_element(values.begin(), values.end());
    return s;
}

}  // namespace bench
