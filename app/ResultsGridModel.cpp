// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultsGridModel.h"

namespace trasvex {

ResultsGridModel::ResultsGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultsGridModel::Encabezados(bool listaCopia) {
  beginResetModel();
  table_.Encabezados(listaCopia);
  endResetModel();
  emit headerDataChanged(Qt::Horizontal, 0, ResultsTable::kColumns - 1);
  emit GeometryChanged();
}

void ResultsGridModel::ListarArchivo(int row, const ResultRow& cells) {
  if (row < 1)
    return;
  Resize(table_.RowsFor(row));
  table_.ListarArchivo(row, cells);
  emit dataChanged(index(row - 1, 0), index(row - 1, ResultsTable::kColumns - 1));
}

void ResultsGridModel::SetRowCount(int rows) { Resize(rows); }

void ResultsGridModel::SetRowHeight(int pixels) {
  table_.SetRowHeight(pixels);
  emit GeometryChanged();
}

void ResultsGridModel::Sort(int column, int filledRows) {
  table_.Sort(column, filledRows);
  emit dataChanged(index(0, 0), index(rowCount() - 1, ResultsTable::kColumns - 1));
}

void ResultsGridModel::Resize(int rows) {
  const int before = rowCount();
  const int after = std::max(rows, 1) - 1;
  if (after > before) {
    beginInsertRows({}, before, after - 1);
    table_.SetRowCount(rows);
    endInsertRows();
  } else if (after < before) {
    beginRemoveRows({}, after, before - 1);
    table_.SetRowCount(rows);
    endRemoveRows();
  }
}

int ResultsGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.RowCount() - 1;
}

int ResultsGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ResultsTable::kColumns;
}

QVariant ResultsGridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid())
    return {};
  return QString::fromStdString(table_.Cell(index.row() + 1, index.column()));
}

QVariant ResultsGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
    return {};
  return QString::fromStdString(table_.Cell(0, section));
}

Qt::ItemFlags ResultsGridModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace trasvex
