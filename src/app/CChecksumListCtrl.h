#pragma once
// The checksum list: rows of checksums and sizes, columns for the PC, the
// programmer and the chip.
#include <string>

#include <QTableWidget>

namespace korvane {

class CChecksumListCtrl : public QTableWidget {
 public:
  static constexpr int kRows = 6;
  static constexpr int kColumns = 4;
  enum Column { kName = 0, kSoft = 1, kTool = 2, kChip = 3 };

  // Headings and row labels are looked-up texts.
  CChecksumListCtrl(QWidget* parent, const QStringList& headings, const QStringList& rowLabels);

  void SetCell(int row, int column, const std::string& text);
  std::string Cell(int row, int column) const;
  void ClearColumn(int column);
};

}  // namespace korvane
