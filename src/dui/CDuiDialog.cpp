#include "dui/CDuiDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QMainWindow>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "dui/CDuiControl.h"
#include "dui/CDuiHandler.h"
#include "dui/DuiSystem.h"

namespace korvane {

namespace {

// A window message travelling through the event queue.
class DuiMessageEvent : public QEvent {
 public:
  static QEvent::Type EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  DuiMessageEvent(int msg, WPARAM wParam, LPARAM lParam, CDuiDialog::PayloadDropper dropper)
      : QEvent(EventType()), msg_(msg), wParam_(wParam), lParam_(lParam), dropper_(std::move(dropper)) {}
  ~DuiMessageEvent() override {
    if (!delivered_ && dropper_) dropper_(lParam_);
  }
  int msg_;
  WPARAM wParam_;
  LPARAM lParam_;
  CDuiDialog::PayloadDropper dropper_;
  bool delivered_ = false;
};

}  // namespace

CDuiDialog::CDuiDialog(DuiSystem& system, const std::string& templateName, const std::string& name,
                       QWidget* form, QWidget* parent)
    : QDialog(parent), system_(system), templateName_(templateName), name_(name), form_(form) {
  setObjectName(QString::fromStdString(name));
  // A template may be a plain widget, a dialog or a main window; inside our
  // dialog it is always an ordinary child widget.
  form_->setParent(this);
  form_->setWindowFlags(Qt::Widget);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(form_);
  setWindowTitle(form_->windowTitle());
  if (!form_->windowIcon().isNull()) setWindowIcon(form_->windowIcon());
  setSizeGripEnabled(false);
  if (form_->property("resizable").isValid() || qobject_cast<QMainWindow*>(form_))
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
  resize(form_->size());
  CollectControls();
}

CDuiDialog::~CDuiDialog() {
  for (auto& [id, timer] : timers_) timer->stop();
  system_.ForgetDialog(this);
}

void CDuiDialog::CollectControls() {
  int uID = DUI_FIRST_CONTROL_UID;
  QList<QObject*> objects = form_->findChildren<QObject*>();
  objects.prepend(form_);
  for (QObject* object : objects) {
    if (object->objectName().isEmpty()) continue;
    if (!object->isWidgetType() && !qobject_cast<QAction*>(object)) continue;
    const std::string key = object->objectName().toStdString();
    if (controls_.count(key)) continue;
    auto control = std::make_unique<CDuiControl>(*this, object, uID++);
    ConnectNotifications(*control);
    controls_.emplace(key, std::move(control));
  }
}

void CDuiDialog::ConnectNotifications(CDuiControl& control) {
  CDuiControl* c = &control;
  if (auto* button = qobject_cast<QAbstractButton*>(control.Object())) {
    connect(button, &QAbstractButton::pressed, this, [this, c] { Notify(*c, DUI_MSG_PRESS, 0, 0); });
    connect(button, &QAbstractButton::clicked, this, [this, c] { Notify(*c, DUI_MSG_CLICK, 0, 0); });
    button->setMouseTracking(true);  // movement is reported without a pressed button
    button->installEventFilter(this);
  } else if (auto* action = qobject_cast<QAction*>(control.Object())) {
    connect(action, &QAction::triggered, this, [this, c] { Notify(*c, DUI_MSG_CLICK, 0, 0); });
  } else if (auto* combo = qobject_cast<QComboBox*>(control.Object())) {
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this, c](int index) { Notify(*c, DUI_MSG_COMBO_CHANGE, 0, index); });
  }
}

bool CDuiDialog::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseMove || e->type() == QEvent::HoverMove) {
    auto it = controls_.find(watched->objectName().toStdString());
    if (it != controls_.end() && it->second->Object() == watched) Notify(*it->second, DUI_MSG_MOVE, 0, 0);
  }
  return QDialog::eventFilter(watched, e);
}

CDuiControl* CDuiDialog::FindControl(const std::string& name) const {
  auto it = controls_.find(name);
  if (it == controls_.end() || !it->second->Object()) return nullptr;
  return it->second.get();
}

CDuiHandler* CDuiDialog::HandlerFor(const CDuiControl& control) const {
  // The handler attached to the innermost control holding this one, else the dialog's.
  CDuiHandler* best = nullptr;
  for (CDuiHandler* h : controlHandlers_) {
    if (!h->control_ || !h->control_->Contains(control)) continue;
    if (!best || best->control_->Contains(*h->control_)) best = h;
  }
  return best ? best : handler_;
}

int CDuiDialog::Notify(CDuiControl& control, int msg, WPARAM wParam, LPARAM lParam) {
  QPointer<QObject> alive(control.Object());
  CDuiHandler* handler = HandlerFor(control);
  int consumed = handler ? handler->OnDuiMessage(control.UID(), control.Name(), msg, wParam, lParam) : 0;
  // The framework's own buttons (a "duiResult" property in the template)
  // close their dialog with that result unless the handler took the click.
  if (!consumed && msg == DUI_MSG_CLICK && alive) {
    bool ok = false;
    const int result = alive->property("duiResult").toInt(&ok);
    if (ok) EndDialog(result);
  }
  return consumed;
}

bool CDuiDialog::EndDialog(int result) {
  if (handler_ && !handler_->OnEndDialog(result)) return false;
  PostMessage(UM_END_DIALOG, static_cast<WPARAM>(result), 0);
  return true;
}

void CDuiDialog::FinishDialog(int result) {
  if (result == QDialog::Accepted && handler_ && !handler_->OnAccept()) return;
  finished_ = true;
  done(result);
}

int CDuiDialog::RunModal() {
  ++running_;
  const auto& hook = system_.GetModalHook();
  const int result = hook ? hook(*this) : ExecModal();
  --running_;
  return result;
}

int CDuiDialog::ExecModal() {
  finished_ = false;
  return exec();
}

void CDuiDialog::PostMessage(int msg, WPARAM wParam, LPARAM lParam, PayloadDropper dropper) {
  QCoreApplication::postEvent(this, new DuiMessageEvent(msg, wParam, lParam, std::move(dropper)));
}

LPARAM CDuiDialog::SendMessage(int msg, WPARAM wParam, LPARAM lParam) {
  if (QThread::currentThread() == thread()) return DispatchWindowMessage(msg, wParam, lParam);
  LPARAM answer = 0;
  QMetaObject::invokeMethod(
      this, [&] { answer = DispatchWindowMessage(msg, wParam, lParam); }, Qt::BlockingQueuedConnection);
  return answer;
}

LPARAM CDuiDialog::DispatchWindowMessage(int msg, WPARAM wParam, LPARAM lParam) {
  // Every window message goes first to the first registered handler (the
  // main window's), then, for the few the dialog itself cares about, to the
  // dialog's own handler.
  CDuiHandler* first = system_.FirstHandler();
  if (first) {
    if (LPARAM r = first->OnDuiMessage(0, "", msg, wParam, lParam)) return r;
  }
  const bool own = msg == WM_DEVICECHANGE || msg == UM_END_DIALOG || msg == UM_OPERATION_RESULT;
  if (own && handler_ && handler_ != first) {
    if (LPARAM r = handler_->OnDuiMessage(0, "", msg, wParam, lParam)) return r;
  }
  if (msg == UM_END_DIALOG) FinishDialog(static_cast<int>(wParam));
  return 0;
}

bool CDuiDialog::event(QEvent* e) {
  if (e->type() == DuiMessageEvent::EventType()) {
    auto* m = static_cast<DuiMessageEvent*>(e);
    m->delivered_ = true;
    DispatchWindowMessage(m->msg_, m->wParam_, m->lParam_);
    return true;
  }
  return QDialog::event(e);
}

void CDuiDialog::closeEvent(QCloseEvent* e) {
  // The window's close button asks to close with Cancel, through the handler.
  e->ignore();
  EndDialog(DUI_RESULT_CLOSE);
}

void CDuiDialog::keyPressEvent(QKeyEvent* e) {
  // A template marked "noEscape" (a main window) is not closed by Escape.
  if (e->key() == Qt::Key_Escape && form_->property("noEscape").toBool()) {
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

void CDuiDialog::reject() { EndDialog(DUI_RESULT_CLOSE); }
void CDuiDialog::accept() { EndDialog(DUI_RESULT_OK); }

int CDuiDialog::StartTimer(int intervalMs, const std::string& name) {
  const int id = nextTimerId_++;
  auto* timer = new QTimer(this);
  timer->setInterval(intervalMs);
  connect(timer, &QTimer::timeout, this, [this, id, name] {
    if (handler_) handler_->OnTimer(id, name);
  });
  timers_[id] = timer;
  timer->start();
  return id;
}

void CDuiDialog::KillTimer(int timerId) {
  auto it = timers_.find(timerId);
  if (it == timers_.end()) return;
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
}

QIcon CDuiDialog::ImageForName(const std::string& image) const { return system_.ImageForName(image); }

}  // namespace korvane
