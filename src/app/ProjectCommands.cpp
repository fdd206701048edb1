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

// A value still in the grid's editor belongs to the project before anything
// asks whether the project has changed.
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
    main.UpdateTitle(path);
    desc.checksumDirty = 1;
    main.PollCodeFile();
    ShowFirstPage(main);
  }
}

}  // namespace

int CommandNewProject(CDuiHandlerMain& main) {
  AppContext& ctx = main.Context();
  ChipDescription& desc = main.Description();
  FinishGridEditing(main);
  if (!ConfirmSave(desc, ctx.dui)) return 1;
  if (!MainTab(main)) return 1;

  auto* dialog = new CSelectDeviceTypeDlg(*ctx.dui, ctx.core, main.MainDialog());
  if (dialog->Show() == DUI_RESULT_OK) {
    main.ClearViews();
    desc.ClearDescription();
    main.Session().newProjectUnsaved = 0;
    // A chip file without the chosen function loads no items: nothing to edit, no new project.
    if (desc.NewDescription(dialog->ChipName(), dialog->FunctionName(), main.ConfigTree()) && desc.HasTree()) {
      main.Session().newProjectUnsaved = 1;
      main.UpdateTitle(ctx.dui->LookupText("NewProject"));
      desc.modified = 1;
      desc.checksumDirty = 1;
      main.PollCodeFile();
      ShowFirstPage(main);
    }
  }
  const auto& handlers = ctx.dui->Handlers();
  if (std::find(handlers.begin(), handlers.end(), dialog) != handlers.end()) ctx.dui->ReleaseHandler(dialog);
  else delete dialog;  // never attached: its template is missing
  return 1;
}

int CommandOpenProject(CDuiHandlerMain& main) {
  AppContext& ctx = main.Context();
  FinishGridEditing(main);
  if (!ConfirmSave(main.Description(), ctx.dui)) return 1;

  std::string path;
  // One "|" between the pairs: a "||" would end the list after the first.
  if (!ctx.dui->OpenFileName(ProjectFileRequest("XML File(*.xml)|*.xml|All File(*.*)|*.*||"), path) || path.empty())
    return 1;
  LoadProject(main, path);
  return 1;
}

int CommandOpenProjectFile(CDuiHandlerMain& main, const std::string& path) {
  FinishGridEditing(main);
  if (!ConfirmSave(main.Description(), main.Context().dui)) return 1;
  LoadProject(main, path);
  return 1;
}

int CommandSaveProjectAs(CDuiHandlerMain& main) {
  AppContext& ctx = main.Context();
  ChipDescription& desc = main.Description();
  FinishGridEditing(main);
  if (!desc.HasTree()) {
    ctx.dui->ShowMessageBox(main.MainDialog(), ctx.dui->LookupText("NewNotify"), ctx.dui->LookupText("MessageBoxTitle"),
                            MB_OK | MB_ICONWARNING);
    return 1;
  }
  std::string chosen;
  if (!ctx.dui->SaveFileName(ProjectFileRequest("XML File(*.xml)|*.xml||"), chosen) || chosen.empty()) return 1;
  // A project that could not be written (the save says so) is neither
  // copied beside nor reloaded: the reload would replace the edits by
  // whatever the file holds.
  if (!SaveProject(desc, chosen)) return 1;
  CopyCodeFileBeside(desc, chosen);

  if (main.Session().newProjectUnsaved) {
    main.Session().newProjectUnsaved = 0;
    const std::string selected = desc.currentItem ? desc.currentItem->name : std::string();
    main.ClearViews();
    desc.ClearDescription();
    if (desc.OpenDescription(chosen, main.ConfigTree())) {
      main.UpdateTitle(chosen);
      ShowFirstPage(main);
      SelectByName(main, selected);
    }
    main.UpdateTitle(chosen);
  }
  return 1;
}

// The main window's dispatcher reaches the commands here.
int CDuiHandlerMain::OnCommandNew() { return CommandNewProject(*this); }
int CDuiHandlerMain::OnCommandOpen() { return CommandOpenProject(*this); }
int CDuiHandlerMain::OnCommandSaveAs() { return CommandSaveProjectAs(*this); }

}  // namespace korvane
