#include "app/CRichEditExt.h"

#include <ctime>

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QWheelEvent>

#include "core/text/AtomicFile.h"
#include "core/text/TextFormat.h"

namespace korvane {

CRichEditExt::CRichEditExt(QWidget* parent) : QTextEdit(parent) {
  setReadOnly(true);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::StrongFocus);
  setUndoRedoEnabled(false);
  setProperty("nativeId", 1111);
  // A page request on the scroll bar moves two lines, not a page: the log is
  // read line by line while it grows.
  QScrollBar* bar = verticalScrollBar();
  connect(bar, &QAbstractSlider::actionTriggered, this, [bar](int action) {
    const int step = bar->singleStep();
    if (action == QAbstractSlider::SliderPageStepAdd)
      bar->setSliderPosition(std::min(bar->maximum(), bar->sliderPosition() - bar->pageStep() + 2 * step));
    else if (action == QAbstractSlider::SliderPageStepSub)
      bar->setSliderPosition(std::max(bar->minimum(), bar->sliderPosition() + bar->pageStep() - 2 * step));
  });
}

std::string CRichEditExt::TimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return StrFormat("[%04d-%02d-%02d %02d:%02d:%02d] ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                   tm.tm_min, tm.tm_sec);
}

void CRichEditExt::AppendLog(const std::string& text, uint32_t colour, bool withTimestamp) {
  QTextCharFormat format;
  format.setForeground(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
  const std::string line = " " + (withTimestamp ? TimeStamp() : std::string()) + text + "\n";
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QString::fromStdString(line), format);
  cursor.movePosition(QTextCursor::End);
  setTextCursor(cursor);
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void CRichEditExt::ClearLog() { clear(); }

bool CRichEditExt::SaveLog(const std::string& path) {
  const QString text = toPlainText();
  std::string bytes;
  bytes.reserve(2 + static_cast<size_t>(text.size()) * 2);
  bytes += "\xFF\xFE";
  for (QChar c : text) {
    const char16_t unit = c.unicode();
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  // A save that fails half-way must not cost the log saved before.
  const bool ok = ReplaceFileAtomically(path, bytes);
  QTextCursor cursor = textCursor();
  cursor.movePosition(QTextCursor::End);
  setTextCursor(cursor);
  return ok;
}

void CRichEditExt::wheelEvent(QWheelEvent* e) {
  QTextEdit::wheelEvent(e);
  const int delta = e->angleDelta().y();
  if (delta != 0)
    verticalScrollBar()->triggerAction(delta > 0 ? QAbstractSlider::SliderSingleStepSub
                                                 : QAbstractSlider::SliderSingleStepAdd);
  e->accept();
}

void CRichEditExt::keyReleaseEvent(QKeyEvent* e) {
  QTextEdit::keyReleaseEvent(e);
  // After a key the view returns to the newest lines.
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

}  // namespace korvane
