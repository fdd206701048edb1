#include "app/CChecksumListCtrl.h"

#include <QHeaderView>

namespace korvane {

CChecksumListCtrl::CChecksumListCtrl(QWidget* parent, const QStringList& headings, const QStringList& rowLabels)
    : QTableWidget(kRows, kColumns, parent) {
  setProperty("nativeId", 1113);
  setHorizontalHeaderLabels(headings);
  verticalHeader()->setVisible(false);
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setColumnWidth(kName, 120);
  for (int c = kSoft; c < kColumns; ++c) setColumnWidth(c, 140);
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeaderItem(kName)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int r = 0; r < kRows; ++r) {
    auto* label = new QTableWidgetItem(r < rowLabels.size() ? rowLabels[r] : QString());
    label->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setItem(r, kName, label);
    for (int c = kSoft; c < kColumns; ++c) SetCell(r, c, "");
  }
}

void CChecksumListCtrl::SetCell(int row, int column, const std::string& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
  QTableWidgetItem* cell = item(row, column);
  if (!cell) {
    cell = new QTableWidgetItem;
    cell->setTextAlignment(column == kName ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    setItem(row, column, cell);
  }
  cell->setText(QString::fromStdString(text));
  MarkRow(row);
}

void CChecksumListCtrl::MarkRow(int row) {
  const QTableWidgetItem* pc = item(row, kSoft);
  for (int column : {kTool, kChip}) {
    QTableWidgetItem* cell = item(row, column);
    if (!cell) continue;
    const bool differs = pc && !pc->text().isEmpty() && !cell->text().isEmpty() && cell->text() != pc->text();
    cell->setData(Qt::UserRole, differs);
    cell->setForeground(differs ? QBrush(QColor::fromRgb(kDifferingText)) : QBrush());
    QFont font = cell->font();
    font.setBold(differs);
    cell->setFont(font);
  }
}

bool CChecksumListCtrl::ShownDiffering(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell && cell->data(Qt::UserRole).toBool();
}

std::string CChecksumListCtrl::Cell(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell ? cell->text().toStdString() : std::string();
}

void CChecksumListCtrl::ClearColumn(int column) {
  for (int r = 0; r < rowCount(); ++r) SetCell(r, column, "");
}

}  // namespace korvane
