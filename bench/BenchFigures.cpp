#include "BenchFigures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

void printFigure(const char* name, double value, const char* unit)
{
    std::printf("%s: %.3f%s%s\n", name, value, *unit ? " " : "", unit);
    std::fflush(stdout);
}

double bestSeconds(const std::function<bool()>& run)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < benchRepetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!run())
            return std::numeric_limits<double>::quiet_NaN();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}
