#include "dui/DuiUiLoader.h"

#include <QWidget>

#include "dui/DuiSystem.h"

namespace korvane {

QWidget* DuiUiLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
  if (QWidget* made = system_.CreateCustomControl(className.toStdString(), parent)) {
    made->setObjectName(name);
    return made;
  }
  return QUiLoader::createWidget(className, parent, name);
}

}  // namespace korvane
