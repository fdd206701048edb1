#pragma once
// The editor as the user drives it: the main window of a whole application
// run, with the device-type dialog answered by a script and helpers that
// select tree nodes and type into the grid.
#include <fstream>
#include <sstream>
#include <string>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "AppFixture.h"
#include "app/CConfigTreeCtrl.h"
#include "app/CDeviceTypeTreeCtrl.h"
#include "app/CPropertyGridCtrl.h"
#include "app/CPropertyItem.h"
#include "app/CSelectDeviceTypeDlg.h"
#include "core/model/ConfigItem.h"

namespace korvane::test {

class EditorFixture : public AppFixture {
 protected:
  using TypeScript = std::function<int(CDuiDialog& dialog, CSelectDeviceTypeDlg& handler)>;

  // Unsaved changes are dropped when a test's window closes, unless a test says otherwise.
  EditorFixture() {
    answer = [this](const std::string& text) { return text == Text("SaveNotify") ? IDNO : IDOK; };
  }

  AppOptions Options() {
    AppOptions o = AppFixture::Options();
    o.modalHook = [this](CDuiDialog& d) {
      if (d.Name() != "dlg_select_type") return OnModal(d);
      auto* handler = dynamic_cast<CSelectDeviceTypeDlg*>(d.Handler());
      EXPECT_NE(handler, nullptr);
      ++typeDialogs;
      return handler && selectType ? selectType(d, *handler) : 2;
    };
    return o;
  }
  int Run(std::vector<Script> passScripts) { return AppFixture::Run(std::move(passScripts), Options()); }

  // The user's way through the device-type dialog: a chip in the combo box,
  // a node of the tree, then OK (or Cancel).
  static int ChooseType(CDuiDialog& d, CSelectDeviceTypeDlg& handler, const std::string& chip,
                        const std::string& function, const char* button = "buttonok") {
    auto* combo = qobject_cast<QComboBox*>(d.FindControl("typesComb")->Widget());
    combo->setCurrentIndex(combo->findText(QString::fromStdString(chip)));
    if (QTreeWidgetItem* node = handler.Tree()->NodeOf(function)) handler.Tree()->setCurrentItem(node);
    qobject_cast<QPushButton*>(d.FindControl(button)->Widget())->click();
    PumpUntil([&] { return d.Finished(); }, 1000);
    return d.Finished() ? d.Result() : 2;
  }

  // "new" with chip and function chosen in the dialog.
  void NewProject(CDuiHandlerMain& main, const std::string& chip = "KV3102", const std::string& function = "PB_2C1A") {
    selectType = [chip, function](CDuiDialog& d, CSelectDeviceTypeDlg& h) { return ChooseType(d, h, chip, function); };
    Click(main, "new");
  }

  static ConfigItem* Item(CDuiHandlerMain& main, const std::string& name) {
    ConfigItem* root = main.Description().root.get();
    return root ? FindItem(nullptr, root, name) : nullptr;
  }

  // Selects the tree node of the item named name ("function": the function
  // element, which has no name), as a click on it does.
  static void SelectNode(CDuiHandlerMain& main, const std::string& name) {
    ConfigItem* item = name == "function" ? main.Description().root->Child(0) : Item(main, name);
    ASSERT_NE(item, nullptr) << name;
    QTreeWidgetItem* node = main.ConfigTree()->NodeOf(item);
    ASSERT_NE(node, nullptr) << name;
    main.ConfigTree()->setCurrentItem(node);
  }

  static void Key(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
  }

  // Types text into the row of item, character by character, and presses Enter.
  static void TypeValue(CDuiHandlerMain& main, const std::string& name, const QString& text) {
    CPropertyGridCtrl* grid = main.PropertyGrid();
    auto* line = qobject_cast<QLineEdit*>(grid->StartEditing(Item(main, name)));
    ASSERT_NE(line, nullptr) << name;
    line->selectAll();
    Key(line, Qt::Key_Delete);
    for (QChar c : text) Key(line, 0, QString(c));
    Key(line, Qt::Key_Return);
    SettleEdit(*grid);
  }

  // The editor commits once its key press is through, the model once the
  // editor has gone: let both happen.
  static void SettleEdit(CPropertyGridCtrl& grid) {
    PumpUntil([&] { return grid.OpenEditor() == nullptr; }, 1000);
    Pump();
    Pump();
  }

  // Picks an option in the drop-down list of item's row.
  static void ChooseOption(CDuiHandlerMain& main, const std::string& name, const QString& option) {
    auto* combo = qobject_cast<QComboBox*>(main.PropertyGrid()->StartEditing(Item(main, name)));
    ASSERT_NE(combo, nullptr) << name;
    const int at = combo->findText(option);
    ASSERT_GE(at, 0) << option.toStdString();
    combo->setCurrentIndex(at);
    emit combo->activated(at);
    SettleEdit(*main.PropertyGrid());
  }

  static QString Shown(CDuiHandlerMain& main, const std::string& name) {
    CPropertyItem* view = main.PropertyGrid()->ViewItemFor(Item(main, name));
    return view ? view->text(CPropertyItem::kValue) : QString("<no row>");
  }

  std::string ProjectPath(const char* file) const { return projects.filePath(file).toStdString(); }

  // What a saved file holds (empty when there is none).
  static std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  QTemporaryDir projects;
  TypeScript selectType;
  int typeDialogs = 0;
};

}  // namespace korvane::test
