// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultsGridView.h"

#include <QEvent>
#include <QHeaderView>

#include "ResultsGridModel.h"

namespace trasvex {

ResultsGridView::ResultsGridView(ResultsGridModel& grid, QWidget* parent)
    : QTableView(parent), grid_(grid) {
  setObjectName("SGresults");
  setAccessibleName("Resultado");
  setModel(&grid_);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setCornerButtonEnabled(false);
  QFont cellFont("Arial");
  cellFont.setPixelSize(11);
  setFont(cellFont);
  horizontalHeader()->setFont(cellFont);
  verticalHeader()->hide();
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->setMinimumSectionSize(0);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
  }
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setCurrentIndex(grid_.index(0, 0));
  viewport()->installEventFilter(this);
  horizontalHeader()->viewport()->installEventFilter(this);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid())
              sortColumn_ = current.column();
          });
  connect(&grid_, &ResultsGridModel::GeometryChanged, this, &ResultsGridView::ApplyGridGeometry);
  ApplyGridGeometry();
}

bool ResultsGridView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick)
    emit DoubleClicked();
  return QTableView::eventFilter(watched, event);
}

void ResultsGridView::ApplyGridGeometry() {
  const ResultsTable& table = grid_.Table();
  QHeaderView* header = horizontalHeader();
  for (int column = 0; column < ResultsTable::kColumns; ++column) {
    const int width = table.ColumnWidth(column);
    setColumnHidden(column, width == 0);
    if (width > 0)
      header->resizeSection(column, width);
  }
  verticalHeader()->setDefaultSectionSize(table.RowHeight());
  header->setFixedHeight(table.RowHeight());
}

}  // namespace trasvex
