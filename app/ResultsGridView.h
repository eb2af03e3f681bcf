// SPDX-License-Identifier: GPL-3.0-or-later
// The view of the results table: cells in an 11-pixel Arial, no editing, no
// row numbers, columns and rows of the sizes the table gives (a column of
// width 0 hidden), and a double-click anywhere in it, its header included.
#pragma once

#include <QTableView>

namespace trasvex {

class ResultsGridModel;

class ResultsGridView : public QTableView {
  Q_OBJECT

 public:
  explicit ResultsGridView(ResultsGridModel& grid, QWidget* parent = nullptr);

  // The column of the selected cell; 0 until a cell is selected.
  int SortColumn() const { return sortColumn_; }

 signals:
  // A double-click in the cells or on the header.
  void DoubleClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyGridGeometry();

  ResultsGridModel& grid_;
  int sortColumn_ = 0;
};

}  // namespace trasvex
