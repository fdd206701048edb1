#pragma once
// Loads the Qt Designer templates of the skin. Control types that Qt does not
// know ("wkeview", "mfcdatetime", …) are made by the registered factories.
#include <QUiLoader>

namespace korvane {

class DuiSystem;

class DuiUiLoader : public QUiLoader {
 public:
  explicit DuiUiLoader(DuiSystem& system) : system_(system) {}
  QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override;

 private:
  DuiSystem& system_;
};

}  // namespace korvane
