#include "app/CPropertyItem.h"

#include <QFont>
#include <QPalette>
#include <QApplication>

#include "core/eval/GridModel.h"
#include "core/model/ConfigItem.h"

namespace korvane {

CPropertyItem::CPropertyItem(const GridRow& row)
    : QTreeWidgetItem(kType), item_(row.Item()), group_(row.IsGroup()) {
  ShowRow(row);
}

GridRow* CPropertyItem::Row() const { return item_ ? item_->gridRow : nullptr; }

bool CPropertyItem::IsEditable() const {
  const GridRow* row = Row();
  return row && !row->IsGroup() && row->IsEnabled();
}

void CPropertyItem::ShowRow(const GridRow& row) {
  setText(kCaption, QString::fromStdString(row.caption));
  setToolTip(kCaption, text(kCaption));  // a narrow column cuts long captions
  enabled_ = row.IsEnabled();
  modified_ = !group_ && row.IsModified();
  const QPalette palette = QApplication::palette();
  if (group_) {
    // A group heads its rows: bold over the whole width, on a shaded band.
    QFont bold = font(kCaption);
    bold.setBold(true);
    setFont(kCaption, bold);
    setBackground(kCaption, palette.brush(QPalette::Active, QPalette::AlternateBase));
    setBackground(kValue, palette.brush(QPalette::Active, QPalette::AlternateBase));
    setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return;
  }
  setText(kValue, QString::fromStdString(row.Value()));
  QFont valueFont = font(kValue);
  valueFont.setBold(modified_);
  setFont(kValue, valueFont);
  // A disabled row stays selectable, so that its description can be read;
  // it is drawn grey and opens no editor.
  const QBrush text = palette.brush(enabled_ ? QPalette::Active : QPalette::Disabled, QPalette::Text);
  setForeground(kCaption, text);
  setForeground(kValue, text);
  setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | (enabled_ ? Qt::ItemIsEditable : Qt::NoItemFlags));
}

void CPropertyItem::ShowDiffering(const std::string& deviceLine) {
  differing_ = !deviceLine.empty();
  if (!differing_ || group_) return;
  const QString tip = QString::fromStdString(deviceLine);
  setToolTip(kCaption, text(kCaption) + "\n" + tip);
  setToolTip(kValue, tip);
  // The failure colour of the log, on a pale band across both columns.
  const QBrush band(QColor(0xFF, 0xE4, 0xE4));
  const QBrush red(QColor(0xFF, 0x00, 0x00));
  for (int column : {kCaption, kValue}) {
    setBackground(column, band);
    setForeground(column, red);
  }
}

}  // namespace korvane
