#include "app/CDuiHandlerComSelect.h"

#include <QComboBox>
#include <QStringList>

#include "app/AppContext.h"
#include "app/AppSettings.h"
#include "app/CDuiHandlerMain.h"
#include "app/CKorvaneApp.h"
#include "core/text/MessageBox.h"
#include "core/text/TextFormat.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"
#include "link/SerialPortInfo.h"

namespace korvane {

namespace {

// The combo boxes whose captions are not their values carry the values, in
// item order, in their property "itemValues".
QStringList ItemValues(const QComboBox* combo) {
  const QString values = combo->property("itemValues").toString();
  return values.isEmpty() ? QStringList() : values.split(',');
}

QComboBox* Combo(const CDuiHandler& handler, const std::string& name) {
  CDuiControl* c = handler.FindControl(name);
  return c ? qobject_cast<QComboBox*>(c->Widget()) : nullptr;
}

}  // namespace

PortSettingsText StoredPortSettings(const AppContext& context) {
  const AppSettings& s = context.settings;
  PortSettingsText t;
  t.port = s.Text("Port");
  t.baudrate = s.Text("Baudrate");
  t.databit = s.Text("Databit");
  t.parity = s.Text("Parity");
  t.stopbit = s.Text("Stopbit");
  const std::string& runPort = context.app.Options().portOverride;
  if (!runPort.empty()) t.port = runPort;
  return t;
}

CDuiHandlerComSelect::CDuiHandlerComSelect(AppContext& context) : ctx_(context) {}

void CDuiHandlerComSelect::OnInit() {
  texts_ = StoredPortSettings(ctx_);
  if (CDuiControl* serial = FindControl("SerialComb")) {
    // Each port is offered by its stable name when udev gave it one, so that
    // the saved choice follows the adapter to another socket; the caption
    // tells the adapters apart.
    std::vector<std::string> captions;
    QStringList values;
    int selected = -1;
    for (const std::string& path : ListComPorts()) {
      const SerialPortInfo info = DescribeSerialPort(path, ctx_.app.Options().serialByIdDir);
      const std::string value = info.stablePath.empty() ? path : info.stablePath;
      std::string caption = path;
      if (const std::string adapter = AdapterSummary(info); !adapter.empty()) caption += "  " + adapter;
      if (!info.stablePath.empty()) caption += "  " + info.stablePath;
      if (texts_.port == path || texts_.port == value) selected = static_cast<int>(captions.size());
      captions.push_back(caption);
      values << QString::fromStdString(value);
    }
    // A stored port that is absent now (unplugged, or held by another
    // program) stays on offer, selected.
    if (selected < 0 && !texts_.port.empty()) {
      captions.push_back(texts_.port);
      values << QString::fromStdString(texts_.port);
      selected = static_cast<int>(captions.size()) - 1;
    }
    serial->SetComboItems(captions);
    if (QComboBox* combo = Combo(*this, "SerialComb")) combo->setProperty("itemValues", values.join(','));
    if (selected >= 0) serial->SetComboSel(selected);
  }
  SetComboValue("BaudrateComb", texts_.baudrate);
  SetComboValue("DatabitComb", texts_.databit);
  SetComboValue("ParityComb", texts_.parity);
  SetComboValue("StopBitComb", texts_.stopbit);
}

std::string CDuiHandlerComSelect::ComboValue(const std::string& name) const {
  const QComboBox* combo = Combo(*this, name);
  if (!combo) return {};
  const QStringList values = ItemValues(combo);
  const int index = combo->currentIndex();
  // A typed text that is no item is its own value.
  if (combo->isEditable() && combo->currentText() != combo->itemText(index))
    return combo->currentText().trimmed().toStdString();
  if (index >= 0 && index < values.size()) return values[index].trimmed().toStdString();
  return combo->currentText().trimmed().toStdString();
}

void CDuiHandlerComSelect::SetComboValue(const std::string& name, const std::string& value) {
  QComboBox* combo = Combo(*this, name);
  if (!combo) return;
  const QString v = QString::fromStdString(value);
  QStringList values = ItemValues(combo);
  int index = values.isEmpty() ? combo->findText(v) : values.indexOf(v);
  if (index < 0) {
    if (combo->isEditable()) {
      combo->setEditText(v);
      return;
    }
    // A stored value the skin does not offer is kept, shown as it stands.
    combo->addItem(v);
    if (!values.isEmpty()) {
      values << v;
      combo->setProperty("itemValues", values.join(','));
    }
    index = combo->count() - 1;
  }
  combo->setCurrentIndex(index);
}

int CDuiHandlerComSelect::OnEndDialog(int code) {
  if (code != DUI_RESULT_OK) return 1;
  texts_.port = ComboValue("SerialComb");
  texts_.baudrate = ComboValue("BaudrateComb");
  texts_.databit = ComboValue("DatabitComb");
  texts_.parity = ComboValue("ParityComb");
  texts_.stopbit = ComboValue("StopBitComb");

  LinkContext& link = ctx_.link;
  DuiSystem& dui = *ctx_.dui;
  const PortSettings before = link.settings;
  const bool wasOpen = link.port.IsOpen();
  if (texts_.port.empty() || !OpenPort(link, ParsePortSettings(texts_))) {
    const std::string hint = texts_.port.empty() ? std::string() : PortAccessHint(texts_.port, link.port.LastError());
    // The link goes back to what it was, so a failed attempt costs nothing.
    link.settings = before;
    if (wasOpen) link.port.Reopen(before);
    else link.port.Close();
    std::string text = FormatText(dui.LookupText("OpenComPortError"), texts_.port);
    if (!hint.empty()) text += "\n" + hint;
    dui.ShowMessageBox(AttachedDialog(), text, dui.LookupText("MessageBoxTitle"), MB_OK | MB_ICONERROR);
    return 0;
  }
  AppSettings& s = ctx_.settings;
  // The emulator's port belongs to this run only; the stored one stays.
  if (texts_.port != ctx_.app.Options().portOverride) s.WriteString("Port", texts_.port);
  s.WriteString("Baudrate", texts_.baudrate);
  s.WriteString("Databit", texts_.databit);
  s.WriteString("Parity", texts_.parity);
  s.WriteString("Stopbit", texts_.stopbit);
  if (ctx_.main) ctx_.main->SetStatusText(FormatText(dui.LookupText("Dev-Connected"), texts_.port), kColourSuccess);
  return 1;
}

int CDuiHandlerComSelect::OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) {
  if (int r = CDuiHandler::OnDuiMessage(uID, name, msg, wParam, lParam)) return r;
  if (msg != DUI_MSG_MOVE)
    ctx_.dui->WriteLog(LOG_DEBUG, "%s::OnDuiMessage:uID=%d, name=%s, msg=%d, wParam=%d, lParam=%d",
                       "CDuiHandlerComSelect", uID, name.c_str(), msg, static_cast<int>(wParam),
                       static_cast<int>(lParam));
  return 0;
}

}  // namespace korvane
