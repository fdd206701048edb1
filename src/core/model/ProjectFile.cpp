#include "core/model/ProjectFile.h"

#include <sstream>

#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/model/FileDialog.h"
#include "core/text/AtomicFile.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace {

void SetSelect(ChipDescription& desc) {
  pugi::xml_node config = desc.document.child("config");
  if (!config) return;
  pugi::xml_attribute select = config.attribute("select");
  if (!select) select = config.append_attribute("select");
  select.set_value(desc.functionName.c_str());
}

}  // namespace

std::string ProjectText(ChipDescription& desc) {
  SetSelect(desc);
  std::ostringstream out;
  desc.document.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

bool SaveProject(ChipDescription& desc, const std::string& path) {
  if (!desc.HasTree()) {
    desc.modified = 0;
    return false;
  }
  if (path.empty() || !ReplaceFileAtomically(path, ProjectText(desc))) {
    CoreContext& ctx = desc.Context();
    ctx.ShowMessage(FormatText(ctx.LookupText("WriteFileError"), path), MB_OK | MB_ICONERROR);
    return false;
  }
  desc.modified = 0;
  return true;
}

bool ConfirmSave(ChipDescription& desc, IFileDialog* dialogs) {
  if (!desc.HasTree() || desc.modified == 0) return true;
  CoreContext& ctx = desc.Context();
  const int answer = ctx.ShowMessage(ctx.LookupText("SaveNotify"), MB_YESNOCANCEL | MB_ICONWARNING);
  if (answer == IDNO) return true;
  if (answer != IDYES) return false;
  if (desc.path.empty()) {
    FileDialogRequest request;
    request.defaultExtension = "xml";
    request.filter = "All File(*.*)|*.*||";
    std::string chosen;
    if (!dialogs || !dialogs->SaveFileName(request, chosen) || chosen.empty()) return false;
    desc.path = chosen;
  }
  return SaveProject(desc, desc.path);
}

}  // namespace korvane
