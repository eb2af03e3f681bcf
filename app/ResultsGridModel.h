// SPDX-License-Identifier: GPL-3.0-or-later
// The results table as a Qt item model: row 0 of the table is the view's
// header, rows 1 and up are the view's rows 0 and up. Every change goes
// through here so that the view hears of it.
#pragma once

#include <QAbstractTableModel>

#include "ResultsTable.h"
#include "run/RunHost.h"

namespace trasvex {

class ResultsGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ResultsGridModel(QObject* parent = nullptr);

  const ResultsTable& Table() const { return table_; }

  void Encabezados(bool listaCopia);
  void ListarArchivo(int row, const ResultRow& cells);
  void SetRowCount(int rows);
  void SetRowHeight(int pixels);
  void Sort(int column, int filledRows);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // Column widths or the row height changed.
  void GeometryChanged();

 private:
  // Tells the view about a change of the table's row count to |rows|.
  void Resize(int rows);

  ResultsTable table_;
};

}  // namespace trasvex
