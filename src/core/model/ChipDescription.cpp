#include "core/model/ChipDescription.h"

#include "core/model/CoreContext.h"
#include "core/text/ParseNumber.h"
#include "core/text/TextFormat.h"
#include "core/text/XmlLoader.h"

namespace korvane {

ChipKind ReadChipKind(pugi::xml_node function) {
  ChipKind kind;
  kind.chipType = static_cast<uint32_t>(ParseNumber(function.attribute("chipType").value(), 0));
  kind.funcType = static_cast<uint32_t>(ParseNumber(function.attribute("funcType").value(), 0));
  return kind;
}

void AddTreeItems(ConfigItem* item, ITreeControl::Node parent, ITreeControl& tree) {
  if (!item) return;
  const bool isRoot = item->parent == nullptr;
  if (!isRoot && item->visible == 0) return;
  ITreeControl::Node node = tree.InsertNode(item->caption, parent);
  tree.SetNodeData(node, item);
  if (isRoot || item->setable == 0)
    for (auto& child : item->children) AddTreeItems(child.get(), node, tree);
  if (item->depth < 2) tree.Expand(node);
}

void ChipDescription::ReportReadError(const std::string& file) const {
  const char* key = loadProblem_ == XmlLoadProblem::TooLarge  ? "DescriptionTooLargeError"
                    : loadProblem_ == XmlLoadProblem::TooDeep ? "DescriptionTooDeepError"
                                                              : "ReadFileError";
  ctx_.ShowMessage(FormatText(ctx_.LookupText(key), file), MB_OK | MB_ICONERROR);
}

bool ChipDescription::LoadDocument(const std::string& file) {
  ClearDescription();
  if (!LoadXmlFile(document, file, ctx_.log, &loadProblem_)) {
    document.reset();
    return false;
  }
  loaded = 1;
  return true;
}

void ChipDescription::ClearDescription() {
  if (loaded) {
    document.reset();
    loaded = 0;
  }
  root.reset();
  currentItem = nullptr;
  modified = 0;
  checksumDirty = 0;
  chipName.clear();
  functionName.clear();
  path.clear();
}

// Steps shared by Open and New once config and the function element are known.
bool ChipDescription::BuildTree(pugi::xml_node config, pugi::xml_node function, ITreeControl* tree) {
  // The root stands for config with a new item's defaults; only its texts
  // come from config, and its one child is the function element.
  root = std::make_unique<ConfigItem>();
  ConfigItem& r = *root;
  r.root = &r;
  r.element = config;
  functionName = function.name();
  chipName = config.attribute("name").value();
  r.name = config.attribute("name").value();
  r.caption = config.attribute("caption").value();

  ctx_.chipKind = ChipKind{};
  ctx_.chipKind = ReadChipKind(function);

  AreaLayout& layout = ctx_.layout;
  auto num = [&](const char* name, int32_t fallback) {
    return static_cast<int64_t>(static_cast<uint32_t>(ParseNumber(function.attribute(name).value(), fallback)));
  };
  layout.fill = static_cast<uint8_t>(num("fill", 0) & 0xFF);
  ClampArea(num("codeStart", 0), num("codeEnd", 0x1FF), layout.codeStart, layout.codeSize);
  ClampArea(num("confStart", 0), num("confEnd", 0x1FF), layout.confStart, layout.confSize);
  ClampArea(num("optionStart", 0), num("optionEnd", 0x1FF), layout.optionStart, layout.optionSize);
  layout.defaultValues = function.attribute("defaultValues").value();

  if (r.caption.empty()) r.caption = r.name;
  r.descript = config.attribute("descript").value();

  r.children.push_back(ParseItem(function, &r));
  BuildNameIndex(r);
  if (ctx_.refreshTree) ctx_.refreshTree(r);

  if (tree) {
    ITreeControl::Node top = tree->InsertNode(r.caption, nullptr);
    tree->SetNodeData(top, &r);
    for (auto& child : r.children) AddTreeItems(child.get(), top, *tree);
    tree->Expand(top);
  }
  return true;
}

bool ChipDescription::OpenDescription(const std::string& file, ITreeControl* tree) {
  chipName.clear();
  functionName.clear();
  if (!LoadDocument(file)) {
    ReportReadError(file);
    return false;
  }
  pugi::xml_node config = document.child("config");
  if (!config) {
    ReportReadError(file);
    return false;
  }
  pugi::xml_node function = config.child(config.attribute("select").value());
  if (!function || config.attribute("select").value()[0] == '\0') function = config.first_child();
  while (function && function.type() != pugi::node_element) function = function.next_sibling();
  if (!function) {
    ReportReadError(file);
    return false;
  }
  BuildTree(config, function, tree);
  modified = 0;
  checksumDirty = 1;
  path = file;
  return true;
}

bool ChipDescription::LoadCopyOf(const ChipDescription& source) {
  ClearDescription();
  if (!source.loaded || !source.root) return false;
  document.reset(source.document);
  loaded = 1;
  pugi::xml_node config = document.child("config");
  pugi::xml_node function = config ? config.child(source.functionName.c_str()) : pugi::xml_node();
  if (!function) return false;
  BuildTree(config, function, nullptr);
  path = source.path;
  chipName = source.chipName;
  functionName = source.functionName;
  modified = 0;
  checksumDirty = 1;
  return true;
}

bool ChipDescription::NewDescription(const std::string& chip, const std::string& function, ITreeControl* tree) {
  const std::string file = ctx_.ChipsDir() + chip + ".xml";
  if (!LoadDocument(file)) {
    ReportReadError(file);
    return false;
  }
  pugi::xml_node config = document.child("config");
  pugi::xml_node element = config && !function.empty() ? config.child(function.c_str()) : pugi::xml_node();
  if (config && element) BuildTree(config, element, tree);
  path.clear();
  chipName = chip;
  functionName = function;
  modified = 0;
  checksumDirty = 1;
  return true;
}

}  // namespace korvane
