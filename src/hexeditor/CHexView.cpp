#include "hexeditor/CHexView.h"

#include <algorithm>

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace korvane {

namespace {
constexpr int kMargin = 6;
constexpr int kAddressChars = 8;
}  // namespace

CHexView::CHexView(QWidget* parent) : QAbstractScrollArea(parent) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::Monospace);
  setFont(font);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(true);
  viewport()->setBackgroundRole(QPalette::Base);
  UpdateScrollBar();
}

void CHexView::SetData(std::vector<uint8_t> bytes) {
  data_ = std::move(bytes);
  cursor_ = std::clamp<int64_t>(cursor_, 0, std::max<int64_t>(0, static_cast<int64_t>(data_.size()) - 1));
  nibble_ = 0;
  UpdateScrollBar();
  if (!frozen_) viewport()->update();
}

void CHexView::SetBaseAddress(uint32_t address) {
  base_ = address;
  if (!frozen_) viewport()->update();
}

void CHexView::SetBytesPerLine(int count) {
  perLine_ = std::clamp(count, 1, 64);
  UpdateScrollBar();
  viewport()->update();
}

void CHexView::SetFrozen(bool frozen) {
  frozen_ = frozen;
  if (!frozen_) {
    UpdateScrollBar();
    viewport()->update();
  }
}

int CHexView::CharWidth() const { return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0'))); }
int CHexView::LineHeight() const { return fontMetrics().height() + 2; }
int CHexView::LineCount() const { return static_cast<int>((data_.size() + perLine_ - 1) / perLine_); }
int CHexView::VisibleLines() const { return std::max(1, (viewport()->height() - kMargin) / LineHeight()); }

int CHexView::HexColumnX(int byteInLine) const {
  // Two digits and a space per byte, with one more space after each group of eight.
  return kMargin + CharWidth() * (kAddressChars + 2 + byteInLine * 3 + byteInLine / 8);
}

int CHexView::AsciiColumnX(int byteInLine) const {
  return HexColumnX(perLine_) + CharWidth() * (1 + byteInLine);
}

void CHexView::UpdateScrollBar() {
  verticalScrollBar()->setRange(0, std::max(0, LineCount() - VisibleLines()));
  verticalScrollBar()->setPageStep(VisibleLines());
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setRange(0, std::max(0, AsciiColumnX(perLine_) + kMargin - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
}

void CHexView::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateScrollBar();
}

QString CHexView::LineText(int line) const {
  const int64_t start = static_cast<int64_t>(line) * perLine_;
  if (line < 0 || start >= static_cast<int64_t>(data_.size())) return {};
  QString hex, ascii;
  for (int i = 0; i < perLine_; ++i) {
    const int64_t at = start + i;
    if (i && i % 8 == 0) hex += ' ';
    if (at < static_cast<int64_t>(data_.size())) {
      const uint8_t b = data_[static_cast<size_t>(at)];
      hex += QString("%1 ").arg(b, 2, 16, QLatin1Char('0')).toUpper();
      ascii += (b >= 0x20 && b < 0x7F) ? QChar(b) : QChar('.');
    } else {
      hex += "   ";
    }
  }
  const QString address = QString("%1").arg(base_ + static_cast<uint32_t>(start), kAddressChars, 16, QLatin1Char('0')).toUpper();
  return address + "  " + hex + " " + ascii;
}

void CHexView::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  if (frozen_) return;
  const int first = verticalScrollBar()->value();
  const int lines = VisibleLines() + 1;
  const int dx = -horizontalScrollBar()->value();
  const int cw = CharWidth();
  const int lh = LineHeight();
  const QColor addressColour = palette().color(QPalette::PlaceholderText);
  const QColor textColour = palette().color(QPalette::Text);
  const QColor cursorFill = palette().color(QPalette::Highlight);
  const QColor cursorText = palette().color(QPalette::HighlightedText);
  // The column separator between the hexadecimal and the ASCII parts.
  const int sepX = dx + HexColumnX(perLine_) + cw / 2;
  p.setPen(palette().color(QPalette::Mid));
  p.drawLine(sepX, 0, sepX, viewport()->height());
  for (int l = 0; l < lines; ++l) {
    const int line = first + l;
    const int64_t start = static_cast<int64_t>(line) * perLine_;
    if (start >= static_cast<int64_t>(data_.size())) break;
    const int y = kMargin + l * lh;
    const int baseline = y + fontMetrics().ascent();
    p.setPen(addressColour);
    p.drawText(dx + kMargin, baseline,
               QString("%1").arg(base_ + static_cast<uint32_t>(start), kAddressChars, 16, QLatin1Char('0')).toUpper());
    for (int i = 0; i < perLine_; ++i) {
      const int64_t at = start + i;
      if (at >= static_cast<int64_t>(data_.size())) break;
      const uint8_t b = data_[static_cast<size_t>(at)];
      const QString digits = QString("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
      const QChar shown = (b >= 0x20 && b < 0x7F) ? QChar(b) : QChar('.');
      const bool isCursor = at == cursor_;
      const int hx = dx + HexColumnX(i), ax = dx + AsciiColumnX(i);
      if (isCursor) {
        p.fillRect(QRect(hx - 1, y, cw * 2 + 2, lh - 1), inAscii_ ? cursorFill.lighter(160) : cursorFill);
        p.fillRect(QRect(ax, y, cw, lh - 1), inAscii_ ? cursorFill : cursorFill.lighter(160));
        if (!inAscii_ && nibble_ == 1) p.fillRect(QRect(hx + cw, y + lh - 3, cw, 2), cursorText);
      }
      p.setPen(isCursor && !inAscii_ ? cursorText : textColour);
      p.drawText(hx, baseline, digits);
      p.setPen(isCursor && inAscii_ ? cursorText : textColour);
      p.drawText(ax, baseline, QString(shown));
    }
  }
}

void CHexView::MoveCursor(int64_t offset) {
  if (data_.empty()) return;
  cursor_ = std::clamp<int64_t>(offset, 0, static_cast<int64_t>(data_.size()) - 1);
  nibble_ = 0;
  EnsureCursorVisible();
  viewport()->update();
}

void CHexView::ScrollToTop() {
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
}

void CHexView::EnsureCursorVisible() {
  const int line = static_cast<int>(cursor_ / perLine_);
  QScrollBar* bar = verticalScrollBar();
  if (line < bar->value()) bar->setValue(line);
  else if (line >= bar->value() + VisibleLines()) bar->setValue(line - VisibleLines() + 1);
}

void CHexView::TypeCharacter(QChar c) {
  if (data_.empty() || cursor_ < 0 || cursor_ >= static_cast<int64_t>(data_.size())) return;
  uint8_t& byte = data_[static_cast<size_t>(cursor_)];
  uint8_t value = byte;
  if (inAscii_) {
    if (c.unicode() < 0x20 || c.unicode() >= 0x7F) return;
    value = static_cast<uint8_t>(c.unicode());
  } else {
    const int digit = QString(c).toInt(nullptr, 16);
    if (!c.isDigit() && !QString("abcdefABCDEF").contains(c)) return;
    value = nibble_ == 0 ? static_cast<uint8_t>((digit << 4) | (byte & 0x0F))
                         : static_cast<uint8_t>((byte & 0xF0) | digit);
  }
  if (writer_ && !writer_(static_cast<uint32_t>(cursor_), value)) return;
  byte = value;
  if (inAscii_ || nibble_ == 1) MoveCursor(cursor_ + 1 < static_cast<int64_t>(data_.size()) ? cursor_ + 1 : cursor_);
  else nibble_ = 1;
  viewport()->update();
}

bool CHexView::event(QEvent* e) {
  // Tab switches between the two columns instead of moving the focus on.
  if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Tab) {
    keyPressEvent(static_cast<QKeyEvent*>(e));
    return true;
  }
  return QAbstractScrollArea::event(e);
}

void CHexView::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Left: MoveCursor(cursor_ - 1); return;
    case Qt::Key_Right: MoveCursor(cursor_ + 1); return;
    case Qt::Key_Up: MoveCursor(cursor_ - perLine_); return;
    case Qt::Key_Down: MoveCursor(cursor_ + perLine_); return;
    case Qt::Key_PageUp: MoveCursor(cursor_ - static_cast<int64_t>(perLine_) * VisibleLines()); return;
    case Qt::Key_PageDown: MoveCursor(cursor_ + static_cast<int64_t>(perLine_) * VisibleLines()); return;
    case Qt::Key_Home:
      MoveCursor(e->modifiers() & Qt::ControlModifier ? 0 : cursor_ - cursor_ % perLine_);
      return;
    case Qt::Key_End:
      MoveCursor(e->modifiers() & Qt::ControlModifier ? static_cast<int64_t>(data_.size()) - 1
                                                      : cursor_ - cursor_ % perLine_ + perLine_ - 1);
      return;
    case Qt::Key_Tab:
      SetAsciiColumn(!inAscii_);
      return;
    default: break;
  }
  const QString text = e->text();
  if (text.size() == 1 && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    TypeCharacter(text.front());
    return;
  }
  QAbstractScrollArea::keyPressEvent(e);
}

void CHexView::mousePressEvent(QMouseEvent* e) {
  const int cw = CharWidth();
  const int x = static_cast<int>(e->position().x()) + horizontalScrollBar()->value();
  const int line = verticalScrollBar()->value() + (static_cast<int>(e->position().y()) - kMargin) / LineHeight();
  int column = -1;
  bool ascii = false;
  if (x >= AsciiColumnX(0)) {
    column = (x - AsciiColumnX(0)) / cw;
    ascii = true;
  } else {
    for (int i = perLine_ - 1; i >= 0; --i)
      if (x >= HexColumnX(i) - cw / 2) { column = i; break; }
  }
  if (column < 0 || column >= perLine_ || line < 0) return;
  inAscii_ = ascii;
  MoveCursor(static_cast<int64_t>(line) * perLine_ + column);
}

}  // namespace korvane
