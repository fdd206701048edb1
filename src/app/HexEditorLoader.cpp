#include "app/HexEditorLoader.h"

#include <QLibrary>

#include "hexeditor/IHexEditor.h"

namespace korvane {

HexEditorFactory LoadHexEditorLibrary(const std::string& path, std::string* why) {
  // The library stays loaded for the life of the process: its editors are never released.
  QLibrary library(QString::fromStdString(path));
  if (!library.load()) {
    if (why) *why = library.errorString().toStdString();
    return {};
  }
  auto create = reinterpret_cast<CreateHexEditorFn>(library.resolve(kCreateHexEditorExport));
  if (!create) {
    if (why) *why = library.errorString().toStdString();
    return {};
  }
  return [create](QWidget* parent) { return create(parent); };
}

}  // namespace korvane
