#pragma once

#include <algorithm>
#include <vector>

// The median and range of repeated measurements.
struct Summary {
    double median = 0;
    double low = 0;
    double high = 0;

    static Summary of(std::vector<double> values) {
        if (values.empty()) {
            return {};
        }
        std::sort(values.begin(), values.end());
        return {values[values.size() / 2], values.front(), values.back()};
    }
};
