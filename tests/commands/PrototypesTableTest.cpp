#include <gtest/gtest.h>

#include "commands/PrototypesTable.h"

using namespace volmar;

namespace {

using Cells = std::vector<std::vector<std::string>>;

TEST(PrototypesTable, WithNothingReadIsTheSingleHeaderCell) {
  auto ws = Workspace::create();
  EXPECT_EQ(prototypesTableCells(*ws), (Cells{{"var#:"}}));
}

TEST(PrototypesTable, WithDataButNoCurrentPrototypesShowsOnlyTheVariableNumbers) {
  auto ws = Workspace::create();
  ws->NumVars = 3;
  ws->NumPrototypes = 0;
  ws->Prototypes(1, 1) = 9;  // stale values of an earlier run stay hidden
  EXPECT_EQ(prototypesTableCells(*ws), (Cells{{"var#:", "1", "2", "3"}}));
}

TEST(PrototypesTable, RowsAreTypesAndValuesRoundToOneDecimal) {
  auto ws = Workspace::create();
  ws->NumVars = 3;
  ws->NumPrototypes = 2;
  ws->Prototypes(1, 1) = 12.04f;
  ws->Prototypes(1, 2) = 0.96f;
  ws->Prototypes(1, 3) = 0.04f;
  ws->Prototypes(2, 1) = -3.25f;
  ws->Prototypes(2, 2) = 123.46f;
  ws->Prototypes(2, 3) = 0;
  EXPECT_EQ(prototypesTableCells(*ws), (Cells{{"var#:", "1", "2", "3"},
                                             {"type 1", "12.0", "1.0", "0.0"},
                                             {"type 2", "-3.3", "123.5", "0.0"}}));
}

TEST(PrototypesTable, CountersBeyondTheArraysAreHeldToThem) {
  auto ws = Workspace::create();
  ws->NumVars = MaxVars + 5;
  ws->NumPrototypes = MaxPrototypes + 1;
  const auto cells = prototypesTableCells(*ws);
  ASSERT_EQ(cells.size(), static_cast<std::size_t>(MaxPrototypes) + 1);
  EXPECT_EQ(cells[0].size(), static_cast<std::size_t>(MaxVars) + 1);
  EXPECT_EQ(cells.back()[0], "type 30");
}

}  // namespace
