// SPDX-License-Identifier: GPL-3.0-or-later
// The six-column text table that a listing run fills. Row 0 holds the
// headers of the current layout, rows 1 and up the listed files.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace trasvex {

class ResultsTable {
 public:
  static constexpr int kColumns = 6;
  using Row = std::array<std::string, kColumns>;

  // The state before the first reset: 100 empty rows, 24 pixels high.
  ResultsTable();

  // Empties every cell, sets 20 rows, and writes the headers and column
  // widths of the listing layout or, with |listaCopia|, the list-copy layout.
  void Encabezados(bool listaCopia);
  // Writes data row |row|, first growing the table to RowsFor(row) rows.
  void ListarArchivo(int row, const Row& cells);
  // The row count once data row |row| is written: |row| + 64 when the table
  // has no more than |row| rows, else the present count.
  int RowsFor(int row) const;
  // Rows beyond a smaller count are dropped; new rows are empty.
  void SetRowCount(int rows);
  void SetRowHeight(int pixels);
  // Sorts rows 1..|filledRows| ascending by |column|, comparing the texts
  // byte by byte as unsigned codes (a prefix sorts first). Does nothing for
  // fewer than two rows.
  void Sort(int column, int filledRows);

  int RowCount() const { return rowCount_; }
  int RowHeight() const { return rowHeight_; }
  int ColumnWidth(int column) const { return widths_[column]; }
  // The text of a cell; empty for a row beyond the row count.
  const std::string& Cell(int row, int column) const;

 private:
  std::vector<Row> rows_;  // at least rowCount_ rows; a sort may add more
  int rowCount_;
  int rowHeight_;
  std::array<int, kColumns> widths_;
};

}  // namespace trasvex
