#include "app/ProjectCommands.h"

#include <algorithm>
#include <string>

#include <QTreeWidgetItem>

#include "app/AppContext.h"
#include "app/AppMessages.h"
#include "app/CConfigTreeCtrl.h"
#include "app/CDuiHandlerMain.h"
#include "app/CPropertyGridCtrl.h"
#include "app/CSelectDeviceTypeDlg.h"
#include "core/files/CodeFile.h"
#include "core/model/ChipDescription.h"
#include "core/model/FileDialog.h"
#include "core/model/ProjectFile.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"
#include "dui/DuiSystem.h"

namespace korvane {

namespace {

CDuiControl* MainTab(CDuiHandlerMain& main) {
  return main.MainDialog() ? main.MainDialog()->FindControl("tabctrl.main") : nullptr;
}

void ShowFirstPage(CDuiHandlerMain& main) {
  if (CDuiControl* tab = MainTab(main)) tab->SetTabPage(MAIN_TAB_EDITOR);
}

// Commands work on the values as the user sees them: a value still in the
// grid's editor is committed first.
void FinishGridEditing(CDuiHandlerMain& main) {
  if (CPropertyGridCtrl* grid = main.PropertyGrid()) grid->FinishEditing();
}

FileDialogRequest ProjectFileRequest(const char* filter) {
  FileDialogRequest request;
  request.defaultExtension = "xml";
  request.filter = filter;
  request.overwritePrompt = true;
  return request;
}

// Selects the node of the item named name again (after a reload the items
// are new, the names stay); nothing when there is none.
void SelectByName(CDuiHandlerMain& main, const std::string& name) {
  ChipDescription& desc = main.Description();
  CConfigTreeCtrl* tree = main.ConfigTree();
  if (name.empty() || !tree || !desc.root) return;
  if (ConfigItem* item = FindItem(nullptr, desc.root.get(), name))
    if (QTreeWidgetItem* node = tree->NodeOf(item)) tree->setCurrentItem(node);
}

// Replaces the project by the file at path; the loader shows "ReadFileError"
// with the path when it cannot read it.
void LoadProject(CDuiHandlerMain& main, const std::string& path) {
  ChipDescription& desc = main.Description();
  main.ClearViews();
  desc.ClearDescription();
  // Whatever was new is gone now, opened or not.
  main.Session().newProjectUnsaved = 0;
  if (desc.OpenDescription(path, main.ConfigTree())) {
    desc.checksumDirty = 1;
    main.PollCodeFile();
    ShowFirstPage(main);
  }
  main.ShowProjectTitle();
}

}  // namespace

int CommandNewProject(CDuiHandlerMain& main) {
  AppContext& ctx = main.Context();
  ChipDescription& desc = main.Description();
  if (!ConfirmSaveProject(main)) return 1;
  if (!MainTab(main)) return 1;

  auto* dialog = new CSelectDeviceTypeDlg(*ctx.dui, ctx.core, main.MainDialog());
  if (dialog->Show() == DUI_RESULT_OK) {
    main.ClearViews();
    desc.ClearDescription();
    main.Session().newProjectUnsaved = 0;
    // A chip file without the chosen function loads no items: nothing to edit, no new project.
    if (desc.NewDescription(dialog->ChipName(), dialog->FunctionName(), main.ConfigTree()) && desc.HasTree()) {
      main.Session().newProjectUnsaved = 1;
      desc.modified = 1;
      desc.checksumDirty = 1;
      main.PollCodeFile();
      ShowFirstPage(main);
    }
    main.ShowProjectTitle();
  }
  const auto& handlers = ctx.dui->Handlers();
  if (std::find(handlers.begin(), handlers.end(), dialog) != handlers.end()) ctx.dui->ReleaseHandler(dialog);
  else delete dialog;  // never attached: its template is missing
  return 1;
}

int CommandOpenProject(CDuiHandlerMain& main) {
  AppContext& ctx = main.Context();
  if (!ConfirmSaveProject(main)) return 1;

  std::string path;
  // One "|" between the pairs: a "||" would end the list after the first.
  if (!ctx.dui->OpenFileName(ProjectFileRequest("XML File(*.xml)|*.xml|All File(*.*)|*.*||"), path) || path.empty())
    return 1;
  LoadProject(main, path);
  return 1;
}

int CommandOpenProjectFile(CDuiHandlerMain& main, const std::string& path) {
  if (!ConfirmSaveProject(main)) return 1;
  LoadProject(main, path);
  return 1;
}

namespace {

// Asks for the name to save under, starting from the project's own file
// (a new project suggests one after its chip and function); false when the
// user cancelled.
bool AskProjectName(CDuiHandlerMain& main, std::string* chosen) {
  const ChipDescription& desc = main.Description();
  FileDialogRequest request = ProjectFileRequest("XML File(*.xml)|*.xml||");
  request.initialName = !main.Session().newProjectUnsaved && !desc.path.empty()
                            ? desc.path
                            : desc.chipName + "_" + desc.functionName + ".xml";
  return main.Context().dui->SaveFileName(request, *chosen) && !chosen->empty();
}

// Writes the project to path (atomically: a failed save leaves the old file
// whole, says so and keeps the changes) with its code file beside it unless
// one is there. From then on path is the project's file: a new project is
// read back from it, as it would be opened.
bool SaveProjectTo(CDuiHandlerMain& main, const std::string& path) {
  ChipDescription& desc = main.Description();
  // Neither copied beside nor reloaded when the write failed: the reload
  // would replace the edits by whatever the file holds.
  if (!SaveProject(desc, path)) return false;
  CopyCodeFileBeside(desc, path);
  if (main.Session().newProjectUnsaved) {
    main.Session().newProjectUnsaved = 0;
    const std::string selected = desc.currentItem ? desc.currentItem->name : std::string();
    main.ClearViews();
    desc.ClearDescription();
    if (desc.OpenDescription(path, main.ConfigTree())) {
      ShowFirstPage(main);
      SelectByName(main, selected);
    }
  } else {
    desc.path = path;
    // The code file is now the one beside the new file.
    desc.checksumDirty = 1;
  }
  main.ShowProjectTitle();
  main.PollCodeFile();
  return true;
}

bool NeedsProject(CDuiHandlerMain& main) {
  AppContext& ctx = main.Context();
  if (main.Description().HasTree()) return false;
  ctx.dui->ShowMessageBox(main.MainDialog(), ctx.dui->LookupText("NewNotify"), ctx.dui->LookupText("MessageBoxTitle"),
                          MB_OK | MB_ICONWARNING);
  return true;
}

// "save" without its checks: in place, or under a name asked for.
bool SaveCurrentProject(CDuiHandlerMain& main) {
  const ChipDescription& desc = main.Description();
  if (!main.Session().newProjectUnsaved && !desc.path.empty()) return SaveProjectTo(main, desc.path);
  std::string chosen;
  return AskProjectName(main, &chosen) && SaveProjectTo(main, chosen);
}

}  // namespace

int CommandSaveProject(CDuiHandlerMain& main) {
  FinishGridEditing(main);
  if (NeedsProject(main)) return 1;
  SaveCurrentProject(main);
  return 1;
}

int CommandSaveProjectAs(CDuiHandlerMain& main) {
  FinishGridEditing(main);
  if (NeedsProject(main)) return 1;
  std::string chosen;
  if (AskProjectName(main, &chosen)) SaveProjectTo(main, chosen);
  return 1;
}

bool ConfirmSaveProject(CDuiHandlerMain& main) {
  // A value still in the grid's editor belongs to the project before
  // anything asks whether the project has changed.
  FinishGridEditing(main);
  ChipDescription& desc = main.Description();
  if (!desc.HasTree() || desc.modified == 0) return true;
  CoreContext& core = main.Context().core;
  const int answer = core.ShowMessage(core.LookupText("SaveNotify"), MB_YESNOCANCEL | MB_ICONWARNING);
  if (answer == IDNO) return true;
  if (answer != IDYES) return false;
  return SaveCurrentProject(main);
}

// The main window's dispatcher reaches the commands here.
int CDuiHandlerMain::OnCommandNew() { return CommandNewProject(*this); }
int CDuiHandlerMain::OnCommandOpen() { return CommandOpenProject(*this); }
int CDuiHandlerMain::OnCommandSave() { return CommandSaveProject(*this); }
int CDuiHandlerMain::OnCommandSaveAs() { return CommandSaveProjectAs(*this); }

}  // namespace korvane
