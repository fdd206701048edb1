#pragma once
// What the program does to a control it found by name. A control is a widget
// of a loaded template, or a menu entry (an action); the facade hides which.
#include <cstdint>
#include <string>
#include <vector>

#include <QPointer>
#include <QWidget>

class QAction;

namespace korvane {

class CDuiDialog;

class CDuiControl {
 public:
  CDuiControl(CDuiDialog& dialog, QObject* object, int uID);

  const std::string& Name() const { return name_; }
  int UID() const { return uID_; }
  CDuiDialog& Dialog() const { return dialog_; }
  QObject* Object() const { return object_; }
  QWidget* Widget() const;  // null for a menu entry
  QAction* Action() const;  // null for a widget
  bool Contains(const CDuiControl& other) const;

  // Text or title; an edit control's text.
  void SetText(const std::string& text);
  std::string GetText() const;

  // Qt layouts follow visibility, so both forms behave alike here.
  void SetVisible(bool visible);
  void MarkVisible(bool visible) { SetVisible(visible); }
  bool IsVisible() const;  // the control's own flag, whether or not its window is shown
  void SetEnabled(bool enabled);
  bool IsEnabled() const;

  void SetCheck(bool checked);
  bool GetCheck() const;

  // "title", "text", "show", "visible", "enable", "image", "width", "height",
  // "pos", "tooltip"; any other name is kept as a property of the control.
  void SetAttribute(const std::string& name, const std::string& value);
  std::string GetAttribute(const std::string& name) const;

  // Four comma-separated coordinates as the skin writes them. Qt layouts place
  // the controls, so the text is kept for whoever asks, not applied.
  void SetPositionText(const std::string& position) { position_ = position; }
  const std::string& PositionText() const { return position_; }

  // Puts a native widget inside the control, filling it, and shows both.
  bool HostWidget(QWidget* native);
  QWidget* HostedWidget() const { return hosted_; }

  // Tab controls (QTabWidget, QStackedWidget): page 0 is the first.
  int GetTabPage() const;
  void SetTabPage(int page);

  // Progress controls.
  int GetProgress() const;
  void SetProgress(int value);

  // Combo boxes.
  void SetComboItems(const std::vector<std::string>& items);
  int GetComboSel() const;
  void SetComboSel(int index);
  int GetComboCount() const;

  // Text colour from an opaque colour 0xFFRRGGBB.
  void SetTextColor(uint32_t argb);
  uint32_t TextColor() const { return textColor_; }

 private:
  CDuiDialog& dialog_;
  QPointer<QObject> object_;
  QPointer<QWidget> hosted_;
  std::string name_;
  std::string position_;
  int uID_;
  uint32_t textColor_ = 0;
};

}  // namespace korvane
