#include "dui/CDuiControl.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include "dui/CDuiDialog.h"

namespace korvane {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }
}  // namespace

CDuiControl::CDuiControl(CDuiDialog& dialog, QObject* object, int uID)
    : dialog_(dialog), object_(object), name_(S(object->objectName())), uID_(uID) {}

QWidget* CDuiControl::Widget() const { return qobject_cast<QWidget*>(object_.data()); }
QAction* CDuiControl::Action() const { return qobject_cast<QAction*>(object_.data()); }

bool CDuiControl::Contains(const CDuiControl& other) const {
  QWidget* mine = Widget();
  QWidget* theirs = other.Widget();
  return mine && theirs && (mine == theirs || mine->isAncestorOf(theirs));
}

void CDuiControl::SetText(const std::string& text) {
  const QString t = Q(text);
  if (QAction* a = Action()) return a->setText(t);
  QWidget* w = Widget();
  if (!w) return;
  if (auto* x = qobject_cast<QLabel*>(w)) x->setText(t);
  else if (auto* x = qobject_cast<QAbstractButton*>(w)) x->setText(t);
  else if (auto* x = qobject_cast<QLineEdit*>(w)) x->setText(t);
  else if (auto* x = qobject_cast<QTextEdit*>(w)) x->setPlainText(t);
  else if (auto* x = qobject_cast<QPlainTextEdit*>(w)) x->setPlainText(t);
  else if (auto* x = qobject_cast<QGroupBox*>(w)) x->setTitle(t);
  else if (auto* x = qobject_cast<QComboBox*>(w)) {
    if (x->isEditable()) x->setEditText(t);
    else x->setCurrentIndex(x->findText(t));
  } else w->setWindowTitle(t);
}

std::string CDuiControl::GetText() const {
  if (QAction* a = Action()) return S(a->text());
  QWidget* w = Widget();
  if (!w) return {};
  if (auto* x = qobject_cast<QLabel*>(w)) return S(x->text());
  if (auto* x = qobject_cast<QAbstractButton*>(w)) return S(x->text());
  if (auto* x = qobject_cast<QLineEdit*>(w)) return S(x->text());
  if (auto* x = qobject_cast<QTextEdit*>(w)) return S(x->toPlainText());
  if (auto* x = qobject_cast<QPlainTextEdit*>(w)) return S(x->toPlainText());
  if (auto* x = qobject_cast<QGroupBox*>(w)) return S(x->title());
  if (auto* x = qobject_cast<QComboBox*>(w)) return S(x->currentText());
  return S(w->windowTitle());
}

void CDuiControl::SetVisible(bool visible) {
  if (QAction* a = Action()) return a->setVisible(visible);
  if (QWidget* w = Widget()) w->setVisible(visible);
}

bool CDuiControl::IsVisible() const {
  if (QAction* a = Action()) return a->isVisible();
  QWidget* w = Widget();
  return w && !w->isHidden();
}

void CDuiControl::SetEnabled(bool enabled) {
  if (QAction* a = Action()) return a->setEnabled(enabled);
  if (QWidget* w = Widget()) w->setEnabled(enabled);
}

bool CDuiControl::IsEnabled() const {
  if (QAction* a = Action()) return a->isEnabled();
  QWidget* w = Widget();
  return w && w->isEnabled();
}

void CDuiControl::SetCheck(bool checked) {
  if (QAction* a = Action()) return a->setChecked(checked);
  if (auto* b = qobject_cast<QAbstractButton*>(Widget())) b->setChecked(checked);
  else if (auto* g = qobject_cast<QGroupBox*>(Widget())) g->setChecked(checked);
}

bool CDuiControl::GetCheck() const {
  if (QAction* a = Action()) return a->isChecked();
  if (auto* b = qobject_cast<QAbstractButton*>(Widget())) return b->isChecked();
  if (auto* g = qobject_cast<QGroupBox*>(Widget())) return g->isChecked();
  return false;
}

void CDuiControl::SetAttribute(const std::string& name, const std::string& value) {
  if (!object_) return;
  const bool on = value == "1" || value == "true";
  if (name == "title" || name == "text") SetText(value);
  else if (name == "show" || name == "visible") SetVisible(on);
  else if (name == "enable") SetEnabled(on);
  else if (name == "disable") SetEnabled(!on);
  else if (name == "pos") SetPositionText(value);
  else if (name == "tooltip") {
    if (QAction* a = Action()) a->setToolTip(Q(value));
    else if (QWidget* w = Widget()) w->setToolTip(Q(value));
  } else if (name == "image") {
    const QIcon icon = dialog_.ImageForName(value);
    if (auto* l = qobject_cast<QLabel*>(Widget())) {
      const int side = l->minimumWidth() > 0 ? l->minimumWidth() : 32;
      l->setPixmap(icon.pixmap(side, side));
    } else if (auto* b = qobject_cast<QAbstractButton*>(Widget())) b->setIcon(icon);
    else if (QAction* a = Action()) a->setIcon(icon);
    object_->setProperty("image", Q(value));
  } else if ((name == "width" || name == "height") && Widget()) {
    QWidget* w = Widget();
    bool ok = false;
    const int n = Q(value).toInt(&ok);
    if (ok && n > 0) {
      if (name == "width") w->resize(n, w->height());
      else w->resize(w->width(), n);
    }
  } else object_->setProperty(name.c_str(), Q(value));
}

std::string CDuiControl::GetAttribute(const std::string& name) const {
  if (!object_) return {};
  if (name == "title" || name == "text") return GetText();
  if (name == "show" || name == "visible") return IsVisible() ? "1" : "0";
  if (name == "enable") return IsEnabled() ? "1" : "0";
  if (name == "pos") return position_;
  return S(object_->property(name.c_str()).toString());
}

bool CDuiControl::HostWidget(QWidget* native) {
  QWidget* host = Widget();
  if (!host || !native) return false;
  QLayout* layout = host->layout();
  if (!layout) {
    layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
  }
  if (hosted_ && hosted_ != native) layout->removeWidget(hosted_);
  native->setParent(host);
  layout->addWidget(native);
  hosted_ = native;
  native->show();
  host->setVisible(true);
  return true;
}

int CDuiControl::GetTabPage() const {
  if (auto* t = qobject_cast<QTabWidget*>(Widget())) return t->currentIndex();
  if (auto* s = qobject_cast<QStackedWidget*>(Widget())) return s->currentIndex();
  return -1;
}

void CDuiControl::SetTabPage(int page) {
  if (auto* t = qobject_cast<QTabWidget*>(Widget())) t->setCurrentIndex(page);
  else if (auto* s = qobject_cast<QStackedWidget*>(Widget())) s->setCurrentIndex(page);
}

int CDuiControl::GetProgress() const {
  auto* p = qobject_cast<QProgressBar*>(Widget());
  return p ? p->value() : 0;
}

void CDuiControl::SetProgress(int value) {
  if (auto* p = qobject_cast<QProgressBar*>(Widget())) p->setValue(value);
}

void CDuiControl::SetComboItems(const std::vector<std::string>& items) {
  auto* c = qobject_cast<QComboBox*>(Widget());
  if (!c) return;
  const QSignalBlocker quiet(c);  // filling is not a selection by the user
  c->clear();
  for (const auto& item : items) c->addItem(Q(item));
}

int CDuiControl::GetComboSel() const {
  auto* c = qobject_cast<QComboBox*>(Widget());
  return c ? c->currentIndex() : -1;
}

void CDuiControl::SetComboSel(int index) {
  if (auto* c = qobject_cast<QComboBox*>(Widget())) {
    const QSignalBlocker quiet(c);
    c->setCurrentIndex(index);
  }
}

int CDuiControl::GetComboCount() const {
  auto* c = qobject_cast<QComboBox*>(Widget());
  return c ? c->count() : 0;
}

void CDuiControl::SetTextColor(uint32_t argb) {
  textColor_ = argb;
  QWidget* w = Widget();
  if (!w) return;
  QPalette palette = w->palette();
  const QColor colour = QColor::fromRgba(argb);
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Text, colour);
  palette.setColor(QPalette::ButtonText, colour);
  w->setPalette(palette);
}

}  // namespace korvane
