#pragma once
// The hex editor's window: address, hexadecimal bytes and their ASCII text,
// a fixed number of bytes a line; bytes are edited in either column.
#include <cstdint>
#include <functional>
#include <vector>

#include <QAbstractScrollArea>

namespace korvane {

class CHexView : public QAbstractScrollArea {
 public:
  // Stores an edited byte; false refuses the edit.
  using ByteWriter = std::function<bool(uint32_t offset, uint8_t value)>;

  explicit CHexView(QWidget* parent);

  void SetData(std::vector<uint8_t> bytes);
  const std::vector<uint8_t>& Data() const { return data_; }
  std::vector<uint8_t>& MutableData() { return data_; }
  void SetBaseAddress(uint32_t address);
  uint32_t BaseAddress() const { return base_; }
  void SetBytesPerLine(int count);
  int BytesPerLine() const { return perLine_; }
  void SetByteWriter(ByteWriter writer) { writer_ = std::move(writer); }
  void SetFrozen(bool frozen);

  void MoveCursor(int64_t offset);
  int64_t CursorOffset() const { return cursor_; }
  void ScrollToTop();
  // Types one character as the user would (hexadecimal digit or ASCII).
  void TypeCharacter(QChar c);
  void SetAsciiColumn(bool ascii) { inAscii_ = ascii; nibble_ = 0; viewport()->update(); }
  // The text a line shows (for the tests and the copy command).
  QString LineText(int line) const;

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  int LineCount() const;
  int VisibleLines() const;
  int CharWidth() const;
  int LineHeight() const;
  int HexColumnX(int byteInLine) const;
  int AsciiColumnX(int byteInLine) const;
  void UpdateScrollBar();
  void EnsureCursorVisible();

  std::vector<uint8_t> data_;
  ByteWriter writer_;
  uint32_t base_ = 0;
  int perLine_ = 16;
  int64_t cursor_ = 0;
  int nibble_ = 0;       // 0: high digit next, 1: low digit next
  bool inAscii_ = false;
  bool frozen_ = false;
};

}  // namespace korvane
