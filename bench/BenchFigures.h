#pragma once

// What the parts of the benchmark share: one figure of the table, the median
// of repeated runs.

#include <QString>

#include <algorithm>
#include <vector>

namespace bench {

constexpr int Repeats = 5;

struct Figure
{
    QString what;
    int size;
    double desk;
    double direct;      // the same work straight on the engine, 0 when not measured
    double builtin = 0; // the same statements on SQLite's own LIKE, 0 when not measured
};

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The desk's name search on the PostgreSQL test server, when `make benchmark`
// has started one; nothing otherwise.
void measurePostgres(std::vector<Figure> &figures, int largest);

} // namespace bench
