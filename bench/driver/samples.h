// The runs of one figure and what the table shows of them.
#pragma once

#include <vector>

struct Samples {
    std::vector<double> values;

    double Median() const;
    double Min() const;
    double Max() const;
};
