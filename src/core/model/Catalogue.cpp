#include "core/model/Catalogue.h"

#include <filesystem>
#include <unordered_map>

#include "core/model/CoreContext.h"
#include "core/text/TextFormat.h"
#include "core/text/XmlLoader.h"

namespace korvane {

std::vector<std::string> ParseSupportList(const std::string& text) {
  std::vector<std::string> names;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t cut = text.find(',', pos);
    if (cut == std::string::npos) cut = text.find(';', pos);
    if (cut == std::string::npos) cut = text.size();
    const std::string name = TrimWhite(text.substr(pos, cut - pos));
    if (!name.empty()) names.push_back(name);
    pos = cut + 1;
  }
  return names;
}

void Catalogue::LoadCatalogue(const CoreContext& ctx, const std::string& chipName, ITreeControl* tree) {
  entries_.clear();
  supported_.clear();
  name_.clear();
  caption_.clear();
  chipName_ = chipName;

  pugi::xml_document catalogue;
  if (!LoadXmlFile(catalogue, ctx.CatalogueFile(), ctx.log)) return;
  pugi::xml_node config = catalogue.child("config");
  if (!config) return;

  // One map for every level: a later entry of the same name replaces an earlier one.
  std::unordered_map<std::string, CatalogueEntry*> byName;
  auto add = [&](pugi::xml_node e, CatalogueEntry* parent) {
    auto entry = std::make_unique<CatalogueEntry>();
    entry->name = e.attribute("name").value();
    entry->caption = e.attribute("caption").value();
    entry->descript = e.attribute("descript").value();
    entry->parent = parent;
    CatalogueEntry* raw = entry.get();
    byName[raw->name] = raw;
    entries_.push_back(std::move(entry));
    return raw;
  };

  name_ = config.attribute("name").value();
  caption_ = config.attribute("caption").value();
  CatalogueEntry* top = add(config, nullptr);
  if (tree) {
    top->node = tree->InsertNode(caption_, nullptr);
    tree->SetNodeData(top->node, top);
  }
  for (pugi::xml_node device = config.child("device"); device; device = device.next_sibling()) {
    if (device.type() != pugi::node_element) continue;
    CatalogueEntry* category = add(device, nullptr);
    for (pugi::xml_node fn = device.child("item"); fn; fn = fn.next_sibling())
      if (fn.type() == pugi::node_element) add(fn, category);
  }

  pugi::xml_document chip;
  std::string support;
  if (LoadXmlFile(chip, ctx.ChipsDir() + chipName + ".xml", ctx.log))
    support = chip.child("config").attribute("support").value();

  for (const std::string& name : ParseSupportList(support)) {
    auto it = byName.find(name);
    if (it == byName.end() || !it->second->parent) continue;
    CatalogueEntry* fn = it->second;
    CatalogueEntry* category = fn->parent;
    if (fn->supported) continue;  // named twice: shown once
    fn->supported = 1;
    supported_.push_back(fn);
    if (!tree) continue;
    if (!category->node) {
      category->node = tree->InsertNode(category->caption, top->node);
      tree->SetNodeData(category->node, category);
    }
    fn->node = tree->InsertNode(fn->caption, category->node);
    tree->SetNodeData(fn->node, fn);
    tree->Expand(category->node);
  }
  if (tree) tree->Expand(top->node);
}

std::vector<std::string> ListChipNames(const CoreContext& ctx) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(ctx.ChipsDir(), ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    if (p.extension() == ".xml" && it->is_regular_file(ec)) names.push_back(p.stem().string());
  }
  return names;
}

}  // namespace korvane
