#include "app/HexEditorLoader.h"

#include <QFileInfo>
#include <QLibrary>

#include "hexeditor/IHexEditor.h"

namespace korvane {

HexEditorFactory LoadHexEditorLibrary(const std::string& path, std::string* why) {
  // The library stays loaded for the life of the process: its editors are never released.
  QLibrary library(QString::fromStdString(path));
  if (!library.load()) {
    // A missing file is named as it was looked for; Qt's text would name its
    // own guesses at the file name instead.
    if (why) *why = QFileInfo::exists(QString::fromStdString(path)) ? library.errorString().toStdString()
                                                                      : "no hex editor component at " + path;
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
