// The two statistics the odds checks need: Pearson's chi-square against given
// cell probabilities, and its upper-tail probability.
#pragma once

#include <cstdint>
#include <span>

namespace vornakka::odds {

// Regularised upper incomplete gamma function Q(a, x), a > 0, x >= 0.
double upperGammaQ(double a, double x);

// P(X >= statistic) for X chi-square distributed with dof degrees of freedom.
double chiSquarePValue(double statistic, int dof);

// Pearson's statistic of observed counts against probabilities that sum to 1
// (equal cells when probabilities is empty).
double chiSquareStatistic(std::span<const std::uint64_t> observed, std::span<const double> probabilities = {});

}  // namespace vornakka::odds
