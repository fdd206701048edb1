#pragma once
// The application with the emulated programmer on a pseudo-terminal: the
// emulator can be unplugged and plugged in again under the same name, the
// stored port points at it, and the device dialogs are played by the test.
#include <chrono>
#include <map>
#include <thread>

#include <QAbstractButton>
#include <QComboBox>
#include <QProgressBar>
#include <QSettings>
#include <QTextBlock>
#include <QTextCursor>

#include "AppFixture.h"
#include "app/AppContext.h"
#include "app/CRichEditExt.h"
#include "core/model/ConfigItem.h"
#include "link/IniFile.h"

#include "support/Simulator.h"

namespace korvane::test {

class DeviceFixture : public AppFixture {
 protected:
  using DialogPlay = std::function<int(CDuiDialog&)>;

  void SetUp() override {
    AppFixture::SetUp();
    sim = std::make_unique<SimProcess>(logDir.filePath("programmer").toStdString());
    onDialog = [this](CDuiDialog& d) {
      opened.push_back(d.Name());
      auto it = play.find(d.Name());
      if (it != play.end()) return it->second(d);
      if (d.Name() == "dlg_process") return RunToEnd(d);
      ADD_FAILURE() << "unexpected dialog " << d.Name();
      return 2;
    };
  }

  // The options of a device test: the stored port is the emulator's, the
  // runner does not pause at the end, and the watcher sees no real devices.
  AppOptions DeviceOptions() {
    AppOptions o = Options();
    o.deviceWatchDir = logDir.filePath("no-devices").toStdString();
    o.passStarted = [this](AppContext& c) {
      c.link.epiloguePauseMs = 0;
      context = &c;
    };
    return o;
  }

  // The settings file the application reads, found afresh for each test: Qt's
  // own user-scope path is fixed once per process, while every test points
  // XDG_CONFIG_HOME at a folder of its own.
  static QSettings Settings() { return {QString::fromStdString(SettingsFilePath()), QSettings::IniFormat}; }
  void StoreSetting(const std::string& section, const std::string& value) {
    Settings().setValue(QString::fromStdString(section) + "/Value", QString::fromStdString(value));
  }
  std::string StoredSetting(const std::string& section) {
    return Settings().value(QString::fromStdString(section) + "/Value").toString().toStdString();
  }

  // Starts the emulator and stores its port; then runs one pass with script.
  int RunWithSim(const Script& script, std::vector<std::string> simArgs = {}) {
    EXPECT_TRUE(sim->Start(std::move(simArgs)));
    StoreSetting("Port", sim->Link());
    passes = 0;  // each run starts its own first pass
    return Run({script}, DeviceOptions());
  }

  static bool LoadChip(CDuiHandlerMain& main, const char* chip = "KV3102", const char* function = "PB_2C1A") {
    return main.Description().NewDescription(chip, function, main.ConfigTree());
  }

  // The progress dialog left to run to its end; the bar's values are kept.
  int RunToEnd(CDuiDialog& d) {
    WatchBar(d);
    EXPECT_TRUE(PumpUntil([&] { return d.Finished(); }, 30000)) << "the operation did not end";
    return d.Result();
  }
  void WatchBar(CDuiDialog& d) {
    bar.clear();
    if (auto* b = qobject_cast<QProgressBar*>(d.FindControl("ProgressCtrl")->Widget()))
      QObject::connect(b, &QProgressBar::valueChanged, b, [this](int v) { bar.push_back(v); });
  }

  static void ClickButton(CDuiDialog& d, const std::string& name) {
    CDuiControl* c = d.FindControl(name);
    ASSERT_NE(c, nullptr) << name;
    auto* button = qobject_cast<QAbstractButton*>(c->Widget());
    ASSERT_NE(button, nullptr) << name;
    button->click();
  }
  // Clicks OK and lets the close go through; the result, or 0 while the dialog stays open.
  static int ClickOk(CDuiDialog& d) {
    ClickButton(d, "buttonok");
    PumpUntil([&] { return d.Finished(); }, 1000);
    return d.Finished() ? d.Result() : 0;
  }
  static int Cancel(CDuiDialog& d) {
    d.EndDialog(2);
    PumpUntil([&] { return d.Finished(); }, 1000);
    return d.Result();
  }
  // A dialog answered by ticking the given boxes (all others cleared) and OK.
  static DialogPlay Choose(std::vector<std::string> ticked, std::vector<std::string> cleared = {}) {
    return [ticked, cleared](CDuiDialog& d) {
      for (const auto& name : cleared) d.FindControl(name)->SetCheck(false);
      for (const auto& name : ticked) d.FindControl(name)->SetCheck(true);
      return ClickOk(d);
    };
  }

  // The log panel's lines, without the leading blank and the time stamp.
  static std::vector<std::string> LogLines(CDuiHandlerMain& main) {
    std::vector<std::string> lines;
    for (QTextBlock b = main.LogPanel()->document()->begin(); b.isValid(); b = b.next()) {
      QString t = b.text();
      if (t.isEmpty()) continue;
      const int stamp = t.indexOf("] ");
      if (t.startsWith(" [") && stamp > 0) t = t.mid(stamp + 2);
      else if (t.startsWith(' ')) t = t.mid(1);
      lines.push_back(t.toStdString());
    }
    return lines;
  }
  // The colour of the last line holding text; invalid when there is none.
  static QColor LineColour(CDuiHandlerMain& main, const std::string& text) {
    QColor colour;
    const QString wanted = QString::fromStdString(text);
    for (QTextBlock b = main.LogPanel()->document()->begin(); b.isValid(); b = b.next()) {
      const int at = b.text().indexOf(wanted);
      if (at < 0) continue;
      QTextCursor c(b);
      c.setPosition(b.position() + at + 1);
      colour = c.charFormat().foreground().color();
    }
    return colour;
  }
  static bool HasLine(CDuiHandlerMain& main, const std::string& text) {
    for (const std::string& line : LogLines(main))
      if (line.find(text) != std::string::npos) return true;
    return false;
  }

  // "<name of the kind>，<text of ERROR_code>", the runner's message.
  std::string ResultLine(const std::string& kindKey, int code) {
    return Text(kindKey) + "\xEF\xBC\x8C" + Text("ERROR_" + std::to_string(code));
  }

  static ConfigItem* Item(CDuiHandlerMain& main, const char* name) {
    return FindItem(main.Description().root.get(), nullptr, name);
  }

  static const QColor kBlue, kDarkBlue, kRed;

  std::unique_ptr<SimProcess> sim;
  std::map<std::string, DialogPlay> play;
  std::vector<std::string> opened;
  std::vector<int> bar;
  AppContext* context = nullptr;
};

inline const QColor DeviceFixture::kBlue{0, 0, 255};
inline const QColor DeviceFixture::kDarkBlue{0, 0, 200};
inline const QColor DeviceFixture::kRed{255, 0, 0};

}  // namespace korvane::test
