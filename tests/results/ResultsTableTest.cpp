// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultsTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trasvex {
namespace {

ResultsTable::Row Named(const std::string& name) { return {"", "", name, "", "", ""}; }

// The texts of |column| in rows 1..n.
std::vector<std::string> Column(const ResultsTable& table, int column, int n) {
  std::vector<std::string> texts;
  for (int row = 1; row <= n; ++row)
    texts.push_back(table.Cell(row, column));
  return texts;
}

TEST(ResultsTableTest, StartsWithHundredEmptyRowsOfTheDesignedWidths) {
  const ResultsTable table;
  EXPECT_EQ(table.RowCount(), 100);
  EXPECT_EQ(table.RowHeight(), 24);
  const int widths[] = {109, 238, 84, 41, 32, 27};
  for (int column = 0; column < ResultsTable::kColumns; ++column) {
    EXPECT_EQ(table.ColumnWidth(column), widths[column]);
    for (int row : {0, 1, 99})
      EXPECT_EQ(table.Cell(row, column), "");
  }
}

TEST(ResultsTableTest, LayoutsWriteTheirHeadersAndWidths) {
  struct Case {
    bool listaCopia;
    std::vector<std::string> headers;
    std::vector<int> widths;
  };
  const Case cases[] = {
      {false, {"   Fecha ", "   Directorio ", "   Nombre ", " Ext", " Tamaño ", " Tag"},
       {106, 217, 104, 28, 48, 28}},
      {true, {"Copy", "   Dir. Fuente", "   Nombre ", "   Destino", "", ""},
       {33, 197, 104, 197, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listaCopia ? "list-copy layout" : "listing layout");
    ResultsTable table;
    table.Encabezados(!c.listaCopia);  // the other layout first: nothing of it may stay
    table.ListarArchivo(5, {"a", "b", "c", "d", "e", "f"});
    table.Encabezados(c.listaCopia);
    EXPECT_EQ(table.RowCount(), 20);
    EXPECT_EQ(table.RowHeight(), 24);  // a reset keeps the row height
    for (int column = 0; column < ResultsTable::kColumns; ++column) {
      EXPECT_EQ(table.Cell(0, column), c.headers[column]);
      EXPECT_EQ(table.ColumnWidth(column), c.widths[column]);
      EXPECT_EQ(table.Cell(5, column), "");
    }
  }
}

TEST(ResultsTableTest, GrowsSixtyFourRowsBeyondTheRowWritten) {
  ResultsTable table;
  table.Encabezados(false);
  for (int row = 1; row <= 19; ++row)
    table.ListarArchivo(row, Named("f" + std::to_string(row)));
  EXPECT_EQ(table.RowCount(), 20);
  table.ListarArchivo(20, Named("f20"));  // row count 20 is not greater than 20
  EXPECT_EQ(table.RowCount(), 84);
  for (int row = 21; row <= 83; ++row)
    table.ListarArchivo(row, Named("g"));
  EXPECT_EQ(table.RowCount(), 84);
  table.ListarArchivo(84, Named("h"));
  EXPECT_EQ(table.RowCount(), 148);
  EXPECT_EQ(table.Cell(84, 2), "h");
  EXPECT_EQ(table.Cell(20, 2), "f20");
}

TEST(ResultsTableTest, EndOfRunSizingDropsTheGrowthStepKeepingTheRows) {
  ResultsTable table;
  table.Encabezados(false);
  for (int row = 1; row <= 20; ++row)
    table.ListarArchivo(row, Named("f" + std::to_string(row)));
  table.SetRowCount(std::max(20 + 1, 20));
  EXPECT_EQ(table.RowCount(), 21);
  EXPECT_EQ(table.Cell(20, 2), "f20");
  EXPECT_EQ(table.Cell(0, 2), "   Nombre ");
  EXPECT_EQ(table.Cell(21, 2), "");  // beyond the row count
}

TEST(ResultsTableTest, SortComparesUnsignedBytesWithPrefixesFirst) {
  ResultsTable table;
  table.Encabezados(false);
  const std::vector<std::string> names = {"alfa", "Zeta", "\xC3\xB1u", "zz", "al", "", "a b"};
  for (std::size_t i = 0; i < names.size(); ++i)
    table.ListarArchivo(int(i) + 1, Named(names[i]));
  table.Sort(2, int(names.size()));
  EXPECT_EQ(Column(table, 2, int(names.size())),
            (std::vector<std::string>{"", "Zeta", "a b", "al", "alfa", "zz", "\xC3\xB1u"}));
  EXPECT_EQ(table.Cell(0, 2), "   Nombre ");
}

TEST(ResultsTableTest, SortMovesWholeRowsAndLeavesRowsAfterTheCountAlone) {
  ResultsTable table;
  table.Encabezados(false);
  table.ListarArchivo(1, {"2024/01/02", "d2", "b", ".TXT", "    1K", "  +"});
  table.ListarArchivo(2, {"2023/05/06", "d1", "a", ".DOC", "    2K", "  0"});
  table.ListarArchivo(3, {"2022/01/01", "d0", "c", ".JPG", "    3K", "  -"});
  table.Sort(0, 2);  // rows 1..2 only
  EXPECT_EQ(table.Cell(1, 1), "d1");
  EXPECT_EQ(table.Cell(1, 5), "  0");
  EXPECT_EQ(table.Cell(2, 2), "b");
  EXPECT_EQ(table.Cell(3, 0), "2022/01/01");
}

TEST(ResultsTableTest, SortOfFewerThanTwoRowsOrABadColumnDoesNothing) {
  for (int n : {0, 1}) {
    ResultsTable table;
    table.Encabezados(false);
    table.ListarArchivo(1, Named("z"));
    table.ListarArchivo(2, Named("a"));
    table.Sort(2, n);
    table.Sort(6, 2);
    table.Sort(-1, 2);
    EXPECT_EQ(Column(table, 2, 2), (std::vector<std::string>{"z", "a"}));
  }
}

TEST(ResultsTableTest, SortPastTheRowsHeldTreatsTheMissingRowsAsEmpty) {
  ResultsTable table;
  table.Encabezados(false);
  table.ListarArchivo(1, Named("b"));
  table.ListarArchivo(2, Named("a"));
  table.SetRowCount(3);
  table.Sort(2, 30);  // a copy run counted 30 copies
  EXPECT_EQ(table.RowCount(), 3);
  EXPECT_EQ(table.Cell(1, 2), "");
  EXPECT_EQ(table.Cell(2, 2), "");
  table.SetRowCount(31);
  EXPECT_EQ(table.Cell(29, 2), "a");
  EXPECT_EQ(table.Cell(30, 2), "b");
}

TEST(ResultsTableTest, SortIsStableForEqualKeys) {
  ResultsTable table;
  table.Encabezados(false);
  for (int row = 1; row <= 200; ++row)
    table.ListarArchivo(row, {"", std::to_string(row), row % 2 ? "odd" : "even", "", "", ""});
  table.Sort(2, 200);
  for (int row = 1; row <= 100; ++row) {
    EXPECT_EQ(table.Cell(row, 1), std::to_string(2 * row));
    EXPECT_EQ(table.Cell(100 + row, 1), std::to_string(2 * row - 1));
  }
}

}  // namespace
}  // namespace trasvex
