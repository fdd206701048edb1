#pragma once
// The checksum list: rows of checksums and sizes, columns for the PC, the
// programmer and the chip. A programmer's or chip's value that differs from
// the PC's is shown in the failure colour, so the verdict stands by the data.
#include <string>

#include <QTableWidget>
#include <QColor>

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

  static constexpr QRgb kDifferingText = 0xFFFF0000;  // the log's failure red
  void ClearColumn(int column);
  // Whether the cell is shown as differing from the PC's value of its row.
  bool ShownDiffering(int row, int column) const;

 private:
  void MarkRow(int row);
};

}  // namespace korvane
