#include <gtest/gtest.h>

#include <cmath>

#include "EngineFixtures.h"
#include "core/FitMeasures.h"

using namespace volmar;
using namespace volmar::testing;

namespace {

// Data whose ranges are 4 (variable 1), 10 (variable 2) and 2 (variable 3).
void SetRangeData(Workspace& ws) {
  SetData(ws, {{0, 0, 1}, {4, 5, 2}, {1, 10, 3}, {2, 3, 1}});
}

}  // namespace

TEST(DataRangeSum, AddsTheRangeOfEveryVariable) {
  auto ws = MakeWorkspace();
  SetRangeData(*ws);
  EXPECT_EQ(DataRangeSum(*ws), 16.0);
}

TEST(WSSIndex, OnePrototypeGivesZero) {
  auto ws = MakeWorkspace();
  SetRangeData(*ws);
  SetPrototypes(*ws, {{1, 2, 3}});
  EXPECT_EQ(WSSIndex(*ws), 0.0f);
}

TEST(WSSIndex, TwoPrototypesAtTheDataExtremesGiveOne) {
  auto ws = MakeWorkspace();
  SetRangeData(*ws);
  SetPrototypes(*ws, {{0, 10, 1}, {4, 0, 3}});
  EXPECT_EQ(WSSIndex(*ws), 1.0f);
}

TEST(WSSIndex, PrototypesDifferingInOneVariableAreBothFlagged) {
  auto ws = MakeWorkspace();
  SetRangeData(*ws);
  SetPrototypes(*ws, {{1, 5, 2}, {1, 8, 2}});
  // P = 3, F = 2, D = 16, N = 2.
  EXPECT_EQ(WSSIndex(*ws), static_cast<float>(3.0L * 2 / (16.0L * 2)));
}

TEST(WSSIndex, MiddlePrototypeIsNotFlagged) {
  auto ws = MakeWorkspace();
  SetRangeData(*ws);
  SetPrototypes(*ws, {{0, 1, 1}, {2, 5, 2}, {3, 9, 3}});
  // P = 3 + 8 + 2 = 13, F = 2, N = 3.
  EXPECT_EQ(WSSIndex(*ws), static_cast<float>(13.0L * 2 / (16.0L * 3)));
  // Sharing an extreme value on one variable flags the middle one too.
  ws->Prototypes(2, 3) = 3;
  EXPECT_EQ(WSSIndex(*ws), static_cast<float>(13.0L * 3 / (16.0L * 3)));
}

TEST(WSSIndex, ConstantDataHaveNoIndex) {
  auto ws = MakeWorkspace();
  SetData(*ws, {{2, 7}, {2, 7}, {2, 7}});
  SetPrototypes(*ws, {{2, 7}, {2, 7}});
  EXPECT_FALSE(WSSIndex(*ws).has_value());
  ws->NumPrototypes = 1;
  EXPECT_FALSE(WSSIndex(*ws).has_value());
}

TEST(FitDimensionality, SumsFallingAsNToTheMinusTwoOverDGiveDimensionD) {
  for (double d : {1.0, 2.0, 3.0, 7.5}) {
    auto ws = MakeWorkspace();
    const int upper = 12;
    for (int n = 1; n <= upper; ++n) ws->SumDist[n] = 5000.0 * std::pow(n, -2.0 / d);
    const auto fit = FitDimensionality(*ws, upper);
    ASSERT_TRUE(fit.has_value());
    EXPECT_NEAR(fit->slope, -2.0 / d, 1e-6 * (2.0 / d));
    EXPECT_NEAR(fit->intercept, std::log(5000.0), 1e-5);
    const auto dim = StatisticalDimensionality(*fit);
    ASSERT_TRUE(dim.has_value());
    EXPECT_NEAR(*dim, d, 1e-5 * d);
  }
}

TEST(FitDimensionality, MatchesAnIndependentLeastSquaresLine) {
  auto ws = MakeWorkspace();
  const double sums[] = {900, 610, 420, 390, 300, 280, 201, 199};
  for (int n = 1; n <= 8; ++n) ws->SumDist[n] = sums[n - 1];
  const auto fit = FitDimensionality(*ws, 8);
  ASSERT_TRUE(fit.has_value());
  // Centred form of the regression, in double, with unrounded logarithms.
  double mx = 0, my = 0;
  for (int n = 1; n <= 8; ++n) {
    mx += std::log(n) / 8;
    my += std::log(sums[n - 1]) / 8;
  }
  double cxy = 0, cxx = 0;
  for (int n = 1; n <= 8; ++n) {
    cxy += (std::log(n) - mx) * (std::log(sums[n - 1]) - my);
    cxx += (std::log(n) - mx) * (std::log(n) - mx);
  }
  const double slope = cxy / cxx;
  EXPECT_NEAR(fit->slope, slope, 1e-6);
  EXPECT_NEAR(fit->intercept, my - slope * mx, 1e-5);
}

TEST(FitDimensionality, IsUndefinedForAZeroSumOrASinglePoint) {
  auto ws = MakeWorkspace();
  for (int n = 1; n <= 4; ++n) ws->SumDist[n] = 100.0 / n;
  EXPECT_TRUE(FitDimensionality(*ws, 4).has_value());
  EXPECT_FALSE(FitDimensionality(*ws, 1).has_value());
  ws->SumDist[3] = 0;  // a perfect fit with three prototypes
  EXPECT_FALSE(FitDimensionality(*ws, 4).has_value());
  ws->SumDist[3] = -1;
  EXPECT_FALSE(FitDimensionality(*ws, 4).has_value());
}

TEST(FitDimensionality, FlatSumsHaveNoDimensionality) {
  auto ws = MakeWorkspace();
  // Sums of 1 give ln 1 = 0 throughout: the slope is exactly 0.
  for (int n = 1; n <= 5; ++n) ws->SumDist[n] = 1.0;
  const auto fit = FitDimensionality(*ws, 5);
  ASSERT_TRUE(fit.has_value());
  EXPECT_EQ(fit->slope, 0.0f);
  EXPECT_FALSE(StatisticalDimensionality(*fit).has_value());
}

TEST(ClassShare, IsThePercentageAsAThirtyTwoBitFloat) {
  EXPECT_EQ(ClassShare(1, 3), 33.333332f);
  EXPECT_EQ(ClassShare(250, 1000), 25.0f);
  EXPECT_EQ(ClassShare(7, 7), 100.0f);
  EXPECT_EQ(ClassShare(0, 0), 0.0f);
}
