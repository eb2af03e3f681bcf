// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultsTable.h"

#include <algorithm>
#include <cstring>

namespace trasvex {

namespace {

constexpr int kInitialRows = 100;
constexpr int kInitialRowHeight = 24;
constexpr int kResetRows = 20;
constexpr int kGrowthStep = 64;

struct Layout {
  ResultsTable::Row headers;
  std::array<int, ResultsTable::kColumns> widths;
};

const Layout kListing{{"   Fecha ", "   Directorio ", "   Nombre ", " Ext", " Tamaño ", " Tag"},
                      {106, 217, 104, 28, 48, 28}};
const Layout kListaCopia{{"Copy", "   Dir. Fuente", "   Nombre ", "   Destino", "", ""},
                         {33, 197, 104, 197, 0, 0}};

// Byte order with every byte taken as an unsigned code; a prefix sorts first.
bool ByteLess(const std::string& a, const std::string& b) {
  const int order = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  return order < 0 || (order == 0 && a.size() < b.size());
}

}  // namespace

ResultsTable::ResultsTable()
    : rows_(kInitialRows),
      rowCount_(kInitialRows),
      rowHeight_(kInitialRowHeight),
      widths_{109, 238, 84, 41, 32, 27} {}

void ResultsTable::Encabezados(bool listaCopia) {
  const Layout& layout = listaCopia ? kListaCopia : kListing;
  rows_.assign(kResetRows, Row{});
  rowCount_ = kResetRows;
  rows_[0] = layout.headers;
  widths_ = layout.widths;
}

void ResultsTable::ListarArchivo(int row, const Row& cells) {
  if (row < 1)
    return;
  SetRowCount(RowsFor(row));
  rows_[std::size_t(row)] = cells;
}

int ResultsTable::RowsFor(int row) const {
  return rowCount_ <= row ? row + kGrowthStep : rowCount_;
}

void ResultsTable::SetRowHeight(int pixels) { rowHeight_ = std::max(pixels, 1); }

void ResultsTable::SetRowCount(int rows) {
  if (rows == rowCount_)
    return;
  rowCount_ = std::max(rows, 1);
  rows_.resize(std::size_t(rowCount_));
}

void ResultsTable::Sort(int column, int filledRows) {
  if (filledRows < 2 || column < 0 || column >= kColumns)
    return;
  // After a copy run the count can pass the rows the table holds: those
  // rows are empty and take part in the sort as such.
  if (rows_.size() <= std::size_t(filledRows))
    rows_.resize(std::size_t(filledRows) + 1);
  std::stable_sort(rows_.begin() + 1, rows_.begin() + filledRows + 1,
                   [column](const Row& a, const Row& b) { return ByteLess(a[column], b[column]); });
}

const std::string& ResultsTable::Cell(int row, int column) const {
  static const std::string kEmpty;
  if (row < 0 || row >= rowCount_ || column < 0 || column >= kColumns)
    return kEmpty;
  return rows_[std::size_t(row)][std::size_t(column)];
}

}  // namespace trasvex
