// The log panel's lines, colours and saved bytes.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QWheelEvent>

#include "support/GuiTestApp.h"
#include "app/CRichEditExt.h"

namespace korvane {
namespace {

class LogPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    panel = std::make_unique<CRichEditExt>(nullptr);
    panel->resize(300, 120);
  }
  std::unique_ptr<CRichEditExt> panel;
};

TEST_F(LogPanelTest, AnUnstampedLineIsASpaceTheTextAndALineBreak) {
  panel->AppendLog("abc", 0, false);
  EXPECT_EQ(panel->toPlainText().toStdString(), " abc\n");
  EXPECT_TRUE(panel->isReadOnly());
}

TEST_F(LogPanelTest, AStampedLineCarriesTheLocalTime) {
  panel->AppendLog("Connected", 0, true);
  const QString text = panel->toPlainText();
  EXPECT_TRUE(QRegularExpression(R"(^ \[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] Connected\n$)").match(text).hasMatch())
      << text.toStdString();
}

TEST_F(LogPanelTest, LinesTakeTheirColourFromTheWindowsValue) {
  const std::pair<uint32_t, QColor> cases[] = {
      {0xFF0000, QColor(0, 0, 255)},  // information blue
      {0xC80000, QColor(0, 0, 200)},  // success dark blue
      {0x0000FF, QColor(255, 0, 0)},  // failure red
  };
  for (const auto& [colour, expected] : cases) {
    panel->ClearLog();
    panel->AppendLog("x", colour, false);
    QTextCursor c(panel->document());
    c.setPosition(2);  // inside the text
    EXPECT_EQ(c.charFormat().foreground().color(), expected) << std::hex << colour;
  }
}

TEST_F(LogPanelTest, SavingWritesTheByteOrderMarkAndUtf16LittleEndian) {
  QTemporaryDir dir;
  panel->AppendLog("abc", 0, false);
  panel->AppendLog("\xE5\x86\x99", 0, false);  // one Chinese character
  const std::string path = dir.filePath("log.log").toStdString();
  ASSERT_TRUE(panel->SaveLog(path));
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray expected("\xFF\xFE \0a\0b\0c\0\n\0 \0\x99\x51\n\0", 18);
  EXPECT_EQ(f.readAll(), expected);
  EXPECT_FALSE(panel->SaveLog(dir.filePath("no/such/dir/log.log").toStdString()));
}

TEST_F(LogPanelTest, ClearingEmptiesThePanel) {
  panel->AppendLog("abc", 0, true);
  panel->ClearLog();
  EXPECT_TRUE(panel->toPlainText().isEmpty());
}

TEST_F(LogPanelTest, TheWheelScrollsOneLineMoreThanUsual) {
  for (int i = 0; i < 200; ++i) panel->AppendLog("line " + std::to_string(i), 0, false);
  panel->show();
  test::Pump();
  QScrollBar* bar = panel->verticalScrollBar();
  bar->setValue(0);
  // What one notch moves in a plain text view of the same kind.
  QTextEdit plain;
  plain.resize(panel->size());
  plain.setPlainText(panel->toPlainText());
  plain.show();
  test::Pump();
  plain.verticalScrollBar()->setValue(0);
  auto wheelDown = [](QWidget* w) {
    QWheelEvent e(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
  };
  wheelDown(plain.viewport());
  wheelDown(panel->viewport());
  EXPECT_EQ(bar->value(), plain.verticalScrollBar()->value() + bar->singleStep());
}

}  // namespace
}  // namespace korvane
