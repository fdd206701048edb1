#pragma once
// The log panel: a read-only rich text view of coloured, optionally
// time-stamped lines.
#include <cstdint>
#include <string>

#include <QTextEdit>

namespace korvane {

class CRichEditExt : public QTextEdit {
 public:
  explicit CRichEditExt(QWidget* parent);

  // One line " " + ["[YYYY-MM-DD hh:mm:ss] "] + text + "\n" in colour
  // (0x00BBGGRR), then the view scrolls to the end.
  void AppendLog(const std::string& text, uint32_t colour, bool withTimestamp);
  void ClearLog();
  // Writes FF FE and the text as UTF-16LE; false when the file cannot be written.
  bool SaveLog(const std::string& path);

  // The time stamp prefix for the local time now.
  static std::string TimeStamp();

 protected:
  void wheelEvent(QWheelEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
};

}  // namespace korvane
