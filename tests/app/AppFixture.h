#pragma once
// Runs the whole application offscreen: the modal hook plays the user. Each
// pass of the main window runs the next script; message boxes are recorded
// and answered by the test.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "support/GuiTestApp.h"
#include "app/CDuiHandlerMain.h"
#include "app/CKorvaneApp.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"

namespace korvane::test {

struct ShownBox {
  std::string text;
  std::string title;
  int buttons;  // the button set that was visible
};

class AppFixture : public ::testing::Test {
 protected:
  using Script = std::function<void(CDuiHandlerMain& main, CDuiDialog& dialog)>;

  void SetUp() override { GuiApp(); }

  AppOptions Options() {
    AppOptions o;
    o.archivePath = ArchivePath();
    o.hexEditorPath = std::string(KORVANE_BIN_DIR) + "/korvane-hexeditor";
    o.singleInstance = false;
    o.logDir = logDir.path().toStdString();
    o.modalHook = [this](CDuiDialog& d) { return OnModal(d); };
    o.environment = [this](const char* name) {
      auto it = locale.find(name);
      return it == locale.end() ? std::string() : it->second;
    };
    o.fileDialogHook = [this](bool save, const FileDialogRequest& r, std::string* path) {
      requests.push_back(r);
      saves.push_back(save);
      if (nextFile.empty()) return false;
      *path = nextFile;
      return true;
    };
    return o;
  }

  // Runs the application with one script per pass of the main window.
  int Run(std::vector<Script> passScripts, AppOptions options) {
    scripts = std::move(passScripts);
    CKorvaneApp app(std::move(options));
    application = &app;
    const int status = app.RunApplication();
    application = nullptr;
    return status;
  }
  int Run(std::vector<Script> passScripts) { return Run(std::move(passScripts), Options()); }

  int OnModal(CDuiDialog& d) {
    if (d.Name() == "dlg_msgbox") {
      ShownBox box{d.FindControl("msgbox.text")->GetText(), d.FindControl("msgbox.title")->GetText(), -1};
      for (int n = 0; n <= 9; ++n)
        if (CDuiControl* c = d.FindControl("msgbox.type." + std::to_string(n)); c && c->IsVisible()) box.buttons = n;
      boxes.push_back(box);
      return answer ? answer(box.text) : IDOK;
    }
    if (d.Name() == "dlg_main") {
      auto* main = dynamic_cast<CDuiHandlerMain*>(d.Handler());
      EXPECT_NE(main, nullptr);
      const size_t pass = passes++;
      if (main && pass < scripts.size() && scripts[pass]) scripts[pass](*main, d);
      Pump();
      if (!d.Finished() && d.EndDialog(2)) PumpUntil([&] { return d.Finished(); });
      return d.Result();
    }
    if (onDialog) return onDialog(d);
    ADD_FAILURE() << "unexpected dialog " << d.Name();
    return 0;
  }

  // Clicks a control as the framework reports it: press, then click.
  static int Click(CDuiHandlerMain& main, const std::string& name, int msg = DUI_MSG_CLICK) {
    CDuiControl* c = main.MainDialog()->FindControl(name);
    EXPECT_NE(c, nullptr) << name;
    return main.OnDuiMessage(c ? c->UID() : 0, name, msg, 0, 0);
  }

  std::string Text(const std::string& key) const { return language.LookupText(key); }

  TempSettings settings;
  QTemporaryDir logDir;
  std::vector<Script> scripts;
  size_t passes = 0;
  std::vector<ShownBox> boxes;
  std::function<int(const std::string& text)> answer;
  // Plays the user in every other dialog (the device dialogs); unset, one is a failure.
  std::function<int(CDuiDialog& dialog)> onDialog;
  std::vector<FileDialogRequest> requests;
  std::vector<bool> saves;
  std::string nextFile;
  CKorvaneApp* application = nullptr;
  // The locale of the tests' user: Chinese, the language the texts of most
  // tests are looked up in, until a test stores another.
  std::map<std::string, std::string> locale{{"LANG", "zh_CN.UTF-8"}};
  LanguageTable language = LanguageTable::ForLanguageId(kLangChinese);
};

}  // namespace korvane::test
