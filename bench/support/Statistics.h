// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <utility>
#include <cstddef>
#include <vector>

// Order statistics of a benchmark's samples; 0 without samples.
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

inline double median(std::vector<double> values)
{
    return percentile(std::move(values), 0.5);
}
