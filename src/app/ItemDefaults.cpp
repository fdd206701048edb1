#include "app/ItemDefaults.h"

#include <pugixml.hpp>

#include "core/model/ConfigItem.h"
#include "core/model/CoreContext.h"
#include "core/text/XmlLoader.h"

namespace korvane {

namespace {

// The first item of a name counts, as item look-ups find it.
void Collect(const ConfigItem& item, std::unordered_map<std::string, std::string>& out) {
  if (item.IsValueItem() && !item.name.empty()) {
    const ConfigItem* option = item.list ? item.Child(item.index) : nullptr;
    out.try_emplace(item.name, item.list ? (option ? option->name : std::string()) : item.value);
  }
  for (const auto& child : item.children) Collect(*child, out);
}

}  // namespace

void ItemDefaults::Follow(const CoreContext& ctx, const std::string& chipName, const std::string& functionName) {
  if (read_ && chipName == chip_ && functionName == function_) return;
  read_ = true;
  chip_ = chipName;
  function_ = functionName;
  values_.clear();
  if (chipName.empty() || functionName.empty()) return;
  pugi::xml_document doc;
  if (!LoadXmlFile(doc, ctx.ChipsDir() + chipName + ".xml", nullptr)) return;
  pugi::xml_node function = doc.child("config").child(functionName.c_str());
  if (!function) return;
  // Parsed as a load parses it, below a root of its own: nothing of the
  // loaded project is touched.
  ConfigItem root;
  root.root = &root;
  root.children.push_back(ParseItem(function, &root));
  Collect(root, values_);
}

const std::string* ItemDefaults::Find(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? nullptr : &it->second;
}

}  // namespace korvane
