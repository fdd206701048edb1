#include "cli/OfflineCommands.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

#include "core/eval/GridModel.h"
#include "core/eval/ItemBehaviours.h"
#include "core/files/CodeFile.h"
#include "core/files/HexExport.h"
#include "core/files/ImagePreparation.h"
#include "core/files/PcChecksums.h"
#include "core/model/Catalogue.h"
#include "core/model/ProjectFile.h"
#include "core/text/TextFormat.h"

namespace korvane {
namespace fs = std::filesystem;

namespace {

void CollectValueItems(ConfigItem* item, std::vector<ConfigItem*>& out) {
  if (!item) return;
  if (item->IsValueItem() && !item->name.empty()) out.push_back(item);
  for (auto& child : item->children) CollectValueItems(child.get(), out);
}

// ---- export ---------------------------------------------------------------

struct ExportArgs {
  std::string project, out, codeFile;
  bool noCode = false, noConf = false;
};

int RunExport(CliSession& s, const ExportArgs& a) {
  if (!s.ChoosesAnArea("export", !a.noConf, !a.noCode)) return kExitUsage;
  if (!s.OpenProject(a.project)) return kExitFile;
  // Opening a project in the window polls the checksums, which prepares the
  // image once with the project's own code file; an export without the code
  // area carries the code length of that load.
  PrepareImage(s.desc, false, GetCodeFilePath(s.desc), false);
  s.desc.checksumDirty = 0;
  const std::string codePath = a.codeFile.empty() ? GetCodeFilePath(s.desc) : a.codeFile;
  return ExportHex(s.desc, !a.noCode, !a.noConf, codePath, a.out) ? kExitOk : kExitFile;
}

// ---- checksum -------------------------------------------------------------

int RunChecksum(CliSession& s, const std::string& project, const std::string& codeFile) {
  if (!s.OpenProject(project)) return kExitFile;
  const std::string codePath = codeFile.empty() ? GetCodeFilePath(s.desc) : codeFile;
  if (!PrepareImage(s.desc, false, codePath, true)) return kExitFile;
  s.Output().Checksums(ComputePcChecksums(s.ctx));
  return kExitOk;
}

// ---- get ------------------------------------------------------------------

int RunGet(CliSession& s, const std::string& project, const std::vector<std::string>& names) {
  if (!s.OpenProject(project)) return kExitFile;
  std::vector<ConfigItem*> items;
  if (names.empty()) {
    CollectValueItems(s.desc.root.get(), items);
  } else {
    for (const std::string& name : names) {
      ConfigItem* item = FindItem(nullptr, s.desc.root.get(), name);
      if (!item) {
        s.Error("no item named '" + name + "' in " + project);
        return kExitUsage;
      }
      if (!item->IsValueItem()) {
        s.Error("'" + name + "' in " + project + " is a group, not a value item");
        return kExitUsage;
      }
      items.push_back(item);
    }
  }
  std::vector<std::pair<std::string, std::string>> values;
  for (const ConfigItem* item : items) values.emplace_back(item->name, ItemValueText(*item));
  s.Output().Values(values);
  return kExitOk;
}

// ---- set ------------------------------------------------------------------

// Range warnings of the grid become lines on stderr, naming the item being set.
struct StderrGridHost : IGridHost {
  const CliSession& session;
  std::string itemName;
  explicit StderrGridHost(const CliSession& s) : session(s) {}
  void PostWarning(const std::string& text) override { session.Warning(itemName + ": " + text); }
};

struct SetArgs {
  std::string project, out;
  std::vector<std::string> assignments;
};

int RunSet(CliSession& s, const SetArgs& a) {
  if (!s.OpenProject(a.project)) return kExitFile;
  StderrGridHost host(s);
  GridModel grid(s.desc, &host);
  for (const std::string& assignment : a.assignments) {
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
      s.Error("'" + assignment + "' is not NAME=VALUE");
      return kExitUsage;
    }
    const std::string name = assignment.substr(0, eq), value = assignment.substr(eq + 1);
    ConfigItem* item = FindItem(nullptr, s.desc.root.get(), name);
    if (!item) {
      s.Error("no item named '" + name + "' in " + a.project);
      return kExitUsage;
    }
    SetValueProblem problem = SetValueProblem::None;
    host.itemName = name;
    if (!SetItemValue(s.desc, grid, *item, value, &problem)) {
      s.Error(DescribeRefusal(problem, *item, value) + "; " + a.project + " was not changed");
      return kExitUsage;
    }
  }
  const std::string target = a.out.empty() ? a.project : a.out;
  if (!SaveProject(s.desc, target)) return kExitFile;
  // Saved under a new name, the project keeps its code file beside it.
  if (!a.out.empty() && !CopyCodeFileBeside(s.desc, target))
    s.Warning("no code file was copied beside " + target);
  return kExitOk;
}

// ---- new ------------------------------------------------------------------

struct NewArgs {
  std::string chip, function, out;
};

int RunNew(CliSession& s, const NewArgs& a) {
  const auto chips = ListChipNames(s.ctx);
  if (std::find(chips.begin(), chips.end(), a.chip) == chips.end()) {
    s.Error("no chip named '" + a.chip + "' in " + s.ctx.ChipsDir());
    return kExitUsage;
  }
  // Only what the chip selection would offer: the functions the chip supports.
  Catalogue catalogue;
  catalogue.LoadCatalogue(s.ctx, a.chip, nullptr);
  const auto& supported = catalogue.Supported();
  if (std::none_of(supported.begin(), supported.end(), [&](const CatalogueEntry* e) { return e->name == a.function; })) {
    std::string names;
    for (const CatalogueEntry* e : supported) names += (names.empty() ? "" : ", ") + e->name;
    s.Error("chip '" + a.chip + "' does not support the function '" + a.function + "' (supported: " +
            (names.empty() ? "none" : names) + ")");
    return kExitUsage;
  }
  if (!s.desc.NewDescription(a.chip, a.function, nullptr)) return kExitFile;
  if (!s.desc.HasTree()) {
    s.Error(s.ctx.ChipsDir() + a.chip + ".xml has no element for the function '" + a.function + "'");
    return kExitUsage;
  }
  s.desc.modified = 1;
  s.desc.checksumDirty = 1;
  // Save As: the project, then its code file beside it unless one is there.
  if (!SaveProject(s.desc, a.out)) return kExitFile;
  const std::string current = GetCodeFilePath(s.desc);
  const std::string beside = CodeFileBeside(a.out);
  std::error_code ec;
  if (!fs::exists(current, ec)) {
    s.Warning("the chip's code file " + current + " does not exist; no code file was copied beside " + a.out);
  } else if (!CopyCodeFileBeside(s.desc, a.out)) {
    s.Error("cannot copy " + current + " to " + beside);
    return kExitFile;
  }
  return kExitOk;
}

// ---- chips ----------------------------------------------------------------

int RunChips(CliSession& s) {
  auto chips = ListChipNames(s.ctx);
  std::sort(chips.begin(), chips.end());
  if (chips.empty()) {
    s.Error("no chip descriptions in " + s.ctx.ChipsDir());
    return kExitFile;
  }
  std::vector<ChipListing> listing;
  for (const std::string& chip : chips) {
    Catalogue catalogue;
    catalogue.LoadCatalogue(s.ctx, chip, nullptr);
    ChipListing entry{chip, {}};
    for (const CatalogueEntry* fn : catalogue.Supported())
      entry.functions.push_back({fn->name, fn->caption, fn->parent->caption});
    listing.push_back(std::move(entry));
  }
  s.Output().Chips(listing);
  return kExitOk;
}

// ---- info -----------------------------------------------------------------

int RunInfo(CliSession& s, const std::string& project, const std::string& codeFile) {
  if (!s.OpenProject(project)) return kExitFile;
  ProjectInfo info;
  info.project = project;
  info.chip = s.desc.chipName;
  info.function = s.desc.functionName;
  info.kind = s.ctx.chipKind;
  info.layout = s.ctx.layout;
  info.codeFile = codeFile.empty() ? GetCodeFilePath(s.desc) : codeFile;
  if (!PrepareImage(s.desc, false, info.codeFile, true)) return kExitFile;
  info.checksums = ComputePcChecksums(s.ctx);
  s.Output().Info(info);
  return kExitOk;
}

}  // namespace

void AddOfflineCommands(CLI::App& app, CliSession& s) {
  {
    auto a = std::make_shared<ExportArgs>();
    CLI::App* sub = app.add_subcommand("export", "Write the project's image as an Intel HEX file");
    sub->add_option("PROJECT", a->project, "Project or description file")->required();
    sub->add_option("-o,--output", a->out, "HEX file to write (replaced when it exists)")->required()->type_name("OUT.hex");
    sub->add_option("--code-file", a->codeFile, "Code file to load (default: the project's)")->type_name("HEX");
    sub->add_flag("--no-code", a->noCode, "Leave out the code and option areas");
    sub->add_flag("--no-conf", a->noConf, "Leave out the conf area");
    s.AddCommand(sub, [&s, a] { return RunExport(s, *a); });
  }
  {
    auto project = std::make_shared<std::string>();
    auto codeFile = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("checksum", "Print the PC-side area checksums and sizes");
    sub->add_option("PROJECT", *project, "Project or description file")->required();
    sub->add_option("--code-file", *codeFile, "Code file to load (default: the project's)")->type_name("HEX");
    s.AddJsonFlag(sub);
    s.AddCommand(sub, [&s, project, codeFile] { return RunChecksum(s, *project, *codeFile); });
  }
  {
    auto project = std::make_shared<std::string>();
    auto names = std::make_shared<std::vector<std::string>>();
    CLI::App* sub = app.add_subcommand("get", "Print NAME=VALUE for value items (all of them when no NAME is given)");
    sub->add_option("PROJECT", *project, "Project or description file")->required();
    sub->add_option("NAME", *names, "Item names");
    s.AddJsonFlag(sub);
    s.AddCommand(sub, [&s, project, names] { return RunGet(s, *project, *names); });
  }
  {
    auto a = std::make_shared<NewArgs>();
    CLI::App* sub = app.add_subcommand("new", "Create a project from an installed chip, with its code file beside it");
    sub->add_option("--chip", a->chip, "Chip name (see 'chips')")->required();
    sub->add_option("--function", a->function, "Function the chip supports (see 'chips')")->required();
    sub->add_option("-o,--output", a->out, "Project file to write")->required()->type_name("OUT.xml");
    s.AddCommand(sub, [&s, a] { return RunNew(s, *a); });
  }
  {
    auto a = std::make_shared<SetArgs>();
    CLI::App* sub = app.add_subcommand("set", "Commit values as the property grid would, then save the project");
    sub->add_option("PROJECT", a->project, "Project file")->required();
    sub->add_option("ASSIGNMENT", a->assignments, "NAME=VALUE: the text typed into an edit row, or an option's name")
        ->required()
        ->type_name("NAME=VALUE");
    sub->add_option("-o,--output", a->out, "Save to this file instead of in place")->type_name("OUT.xml");
    s.AddCommand(sub, [&s, a] { return RunSet(s, *a); });
  }
  {
    CLI::App* sub = app.add_subcommand("chips", "List the installed chips and the functions each supports");
    s.AddJsonFlag(sub);
    s.AddCommand(sub, [&s] { return RunChips(s); });
  }
  {
    auto project = std::make_shared<std::string>();
    auto codeFile = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("info", "Show chip, function, areas, code file and checksums of a project");
    sub->add_option("PROJECT", *project, "Project or description file")->required();
    sub->add_option("--code-file", *codeFile, "Code file to load (default: the project's)")->type_name("HEX");
    s.AddJsonFlag(sub);
    s.AddCommand(sub, [&s, project, codeFile] { return RunInfo(s, *project, *codeFile); });
  }
}

}  // namespace korvane
