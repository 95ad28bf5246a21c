#include "stats.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace vornakka::odds {

namespace {

constexpr int kMaxIterations = 1000000;
constexpr double kEpsilon = 1e-15;

// Lower series: P(a, x) = e^-x x^a / Gamma(a+1) * sum x^n / ((a+1)...(a+n)).
double lowerSeries(double a, double x) {
    double term = 1.0 / a;
    double sum = term;
    for (int n = 1; n < kMaxIterations; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * kEpsilon) break;
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

// Continued fraction for Q(a, x), evaluated by the modified Lentz method.
double upperFraction(double a, double x) {
    constexpr double tiny = std::numeric_limits<double>::min() / kEpsilon;
    double b = x + 1.0 - a;
    double c = 1.0 / tiny;
    double d = 1.0 / b;
    double h = d;
    for (int i = 1; i < kMaxIterations; ++i) {
        const double an = -i * (i - a);
        b += 2.0;
        d = an * d + b;
        if (std::fabs(d) < tiny) d = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1.0 / d;
        const double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1.0) < kEpsilon) break;
    }
    return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

}  // namespace

double upperGammaQ(double a, double x) {
    if (!(a > 0.0) || x < 0.0) throw std::invalid_argument("upperGammaQ: a > 0 and x >= 0 required");
    if (x == 0.0) return 1.0;
    if (x < a + 1.0) return 1.0 - lowerSeries(a, x);
    return upperFraction(a, x);
}

double chiSquarePValue(double statistic, int dof) {
    if (dof < 1) throw std::invalid_argument("chi-square needs at least one degree of freedom");
    return upperGammaQ(dof / 2.0, statistic / 2.0);
}

double chiSquareStatistic(std::span<const std::uint64_t> observed, std::span<const double> probabilities) {
    if (observed.empty()) throw std::invalid_argument("chi-square of no cells");
    if (!probabilities.empty() && probabilities.size() != observed.size()) {
        throw std::invalid_argument("chi-square: one probability per cell");
    }
    double total = 0.0;
    for (std::uint64_t o : observed) total += static_cast<double>(o);
    double statistic = 0.0;
    for (std::size_t i = 0; i < observed.size(); ++i) {
        const double p = probabilities.empty() ? 1.0 / static_cast<double>(observed.size()) : probabilities[i];
        const double expected = total * p;
        const double diff = static_cast<double>(observed[i]) - expected;
        statistic += diff * diff / expected;
    }
    return statistic;
}

}  // namespace vornakka::odds
