#include <gtest/gtest.h>

#include "core/Workspace.h"

using namespace volmar;

TEST(Workspace, StartsZeroedWithAlignedRows) {
  auto ws = Workspace::create();
  EXPECT_EQ(ws->NumCases, 0);
  EXPECT_EQ(ws->DataMatrix(30000, 100), 0.0f);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(ws->DataMatrix.row(2)) % 32, 0u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(ws->Prototypes.row(30)) % 32, 0u);
  ws->BubbleGrid(0, 9) = 5;
  EXPECT_EQ(ws->BubbleGridCells(1, 10), 5);
}

TEST(RandomGenerator, FollowsTheLinearCongruence) {
  RandomGenerator r;
  r.setSeed(0);
  EXPECT_DOUBLE_EQ(r.next(), 1.0 / 4294967296.0);
  EXPECT_EQ(r.state(), 1u);
  r.next();
  EXPECT_EQ(r.state(), 134775814u);
  r.setSeed(0xFFFFFFFFu);
  r.next();
  EXPECT_EQ(r.state(), static_cast<std::uint32_t>(0xFFFFFFFFull * 134775813ull + 1ull));
}

TEST(RandomGenerator, FixedSeedSourceCountsUpFromItsBase) {
  RandomGenerator r;
  r.setSeedSource(std::make_unique<FixedSeedSource>(7));
  r.seedFromClock();
  EXPECT_EQ(r.state(), 7u);
  r.seedFromClock();
  EXPECT_EQ(r.state(), 8u);
}

TEST(RandomGenerator, JumpAheadGivesTheStateAfterThatManyDraws) {
  for (std::uint32_t start : {0u, 1u, 12345u, 0xFFFFFFFFu, 0x9E3779B9u}) {
    volmar::RandomGenerator g;
    g.setSeed(start);
    std::uint64_t drawn = 0;
    for (std::uint64_t target : {0ull, 1ull, 2ull, 3ull, 64ull, 1000ull, 123457ull}) {
      while (drawn < target) {
        g.next();
        ++drawn;
      }
      EXPECT_EQ(volmar::JumpAhead(start, target), g.state()) << start << " + " << target;
    }
    // The generator has the full period 2^32.
    EXPECT_EQ(volmar::JumpAhead(start, 1ull << 32), start);
    EXPECT_NE(volmar::JumpAhead(start, 1ull << 31), start);
  }
}
