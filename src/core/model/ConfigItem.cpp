#include "core/model/ConfigItem.h"

#include "core/text/ParseNumber.h"
#include "core/text/TextFormat.h"

namespace korvane {

ConfigItem::~ConfigItem() {
  for (auto& child : children) child.reset();
}

namespace {

std::string Attr(pugi::xml_node e, const char* name) { return e.attribute(name).value(); }
int32_t NumAttr(pugi::xml_node e, const char* name, int32_t fallback) {
  return ParseNumber(e.attribute(name).value(), fallback);
}

void MakeUpDescription(ConfigItem& item) {
  if (!item.descript.empty() || item.addr == -1) return;
  const bool bits = item.sbit != -1 && item.ebit != -1;
  if (bits && item.size != 0)
    item.descript = StrFormat("addr=0x%04X size=%d (bit%d~bit%d)", item.addr, item.size, item.sbit, item.ebit);
  else if (bits)
    item.descript = StrFormat("addr=0x%04X (bit%d~bit%d)", item.addr, item.sbit, item.ebit);
  else if (item.size == 0)
    item.descript = StrFormat("addr=0x%04X", item.addr);
  else if (item.size == 1 || item.size == 2 || item.size == 4)
    item.descript = StrFormat("addr=0x%04X size=%d (bit0~bit%d)", item.addr, item.size, item.size * 8 - 1);
}

}  // namespace

std::unique_ptr<ConfigItem> ParseItem(pugi::xml_node element, ConfigItem* parent) {
  auto owned = std::make_unique<ConfigItem>();
  ConfigItem& item = *owned;
  // 1. place in the tree
  item.element = element;
  item.parent = parent;
  item.root = parent ? parent->root : &item;
  item.depth = parent ? parent->depth + 1 : 0;
  // 2. texts
  item.name = Attr(element, "name");
  item.caption = Attr(element, "caption");
  item.descript = Attr(element, "descript");
  item.value = Attr(element, "value");
  item.loadedValue = item.value;
  item.maxcountbind = Attr(element, "maxcountbind");
  item.trigger = Attr(element, "trigger");
  item.inExpression = Attr(element, "inExpression");
  item.outExpression = Attr(element, "outExpression");
  item.defaultValue = Attr(element, "default");
  item.defaultCondition = Attr(element, "defaultCondition");
  item.enableCondition = Attr(element, "enableCondition");
  item.disableCondition = Attr(element, "disableCondition");
  // 3. size and fill
  item.size = static_cast<uint32_t>(NumAttr(element, "size", 0));
  item.fill = NumAttr(element, "fill", 0);
  item.hasFill = Attr(element, "fill").empty() ? 0 : 1;
  // 4. caption falls back to the name
  if (item.caption.empty()) item.caption = item.name;
  // 5.-8. numbers and flags
  item.addr = NumAttr(element, "addr", -1);
  item.sbit = NumAttr(element, "sbit", -1);
  item.ebit = NumAttr(element, "ebit", -1);
  item.edit = NumAttr(element, "edit", 0);
  item.list = NumAttr(element, "list", 0);
  item.ulist = NumAttr(element, "ulist", 0);
  item.index = NumAttr(element, "index", 0);
  item.number = NumAttr(element, "number", 0);
  item.isSigned = NumAttr(element, "signed", 0);
  item.hex = NumAttr(element, "hex", 0);
  item.bin = NumAttr(element, "bin", 0);
  item.data = NumAttr(element, "data", 0);
  item.visible = NumAttr(element, "visible", 1);
  item.max = NumAttr(element, "max", 0);
  item.min = NumAttr(element, "min", 0);
  if (item.max != item.min) item.number = 1;
  item.setable = NumAttr(element, "setable", 0);
  item.readonly = NumAttr(element, "readonly", 0);
  item.inheritTrigger = NumAttr(element, "inheritTrigger", 0);
  item.inheritCondition = NumAttr(element, "inheritCondition", 1);
  // 9. address inheritance
  if (item.addr == -1)
    for (ConfigItem* a = parent; a; a = a->parent)
      if (a->addr != -1) {
        item.addr = a->addr;
        break;
      }
  // 10. size inheritance
  if (item.size == 0)
    for (ConfigItem* a = parent; a; a = a->parent)
      if (a->size != 0) {
        item.size = a->size;
        break;
      }
  // 11. default bit range of a value item: the whole word
  if (item.IsValueItem() && item.addr != -1 && item.sbit == -1 && item.ebit == -1 &&
      (item.size == 1 || item.size == 2 || item.size == 4)) {
    item.sbit = 0;
    item.ebit = static_cast<int32_t>(item.size * 8 - 1);
  }
  // 12. made-up description
  MakeUpDescription(item);
  // 13. a value item without a disable attribute starts disabled, and says so in the file
  if (item.IsValueItem() && !element.attribute("disable")) element.append_attribute("disable") = "1";
  item.disable = NumAttr(element, "disable", 0);
  // 14. trigger inheritance
  if (item.inheritTrigger != 0)
    for (ConfigItem* a = parent; a; a = a->parent)
      if (a->inheritTrigger == 0) {
        item.trigger = a->trigger;
        break;
      }
  // 15. condition inheritance
  if (parent && item.inheritCondition != 0)
    for (ConfigItem* a = parent; a && a->inheritCondition != 0; a = a->parent) {
      if (item.enableCondition.empty()) item.enableCondition = a->enableCondition;
      if (item.disableCondition.empty()) item.disableCondition = a->disableCondition;
      if (item.defaultCondition.empty()) item.defaultCondition = a->defaultCondition;
    }
  // 16. children; nesting beyond any real description is not followed, so a
  // hostile file cannot exhaust the stack.
  if (item.depth >= kMaxItemDepth) return owned;
  for (pugi::xml_node c = element.child("item"); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    item.children.push_back(ParseItem(c, &item));
  }
  // 17. a ulist opens on the option its index names, the one its image
  // encodes, even when a project's value names another
  if (item.ulist && item.index >= 0 && static_cast<size_t>(item.index) < item.children.size()) {
    item.value = item.children[static_cast<size_t>(item.index)]->name;
    if (pugi::xml_attribute a = element.attribute("value")) a.set_value(item.value.c_str());
  }
  return owned;
}

namespace {
void IndexSubtree(ConfigItem* item, std::unordered_map<std::string, ConfigItem*>& index) {
  index.emplace(item->name, item);  // keeps the first in depth-first order
  for (auto& c : item->children) IndexSubtree(c.get(), index);
}

ConfigItem* SearchSubtree(ConfigItem* item, const std::string& name) {
  if (item->name == name) return item;
  for (auto& c : item->children)
    if (ConfigItem* found = SearchSubtree(c.get(), name)) return found;
  return nullptr;
}
}  // namespace

void BuildNameIndex(ConfigItem& root) {
  root.nameIndex = std::make_unique<std::unordered_map<std::string, ConfigItem*>>();
  IndexSubtree(&root, *root.nameIndex);
}

ConfigItem* FindItem(ConfigItem* scope, ConfigItem* context, const std::string& name) {
  if (!scope) scope = context ? context->root : nullptr;
  if (!scope) return nullptr;
  if (scope->nameIndex) {
    auto it = scope->nameIndex->find(name);
    return it == scope->nameIndex->end() ? nullptr : it->second;
  }
  return SearchSubtree(scope, name);
}

void ClearGridRows(ConfigItem* item) {
  if (!item) return;
  item->gridRow = nullptr;
  for (auto& c : item->children) ClearGridRows(c.get());
}

}  // namespace korvane
