#include "core/eval/GridModel.h"

#include <algorithm>

#include "core/eval/ItemBehaviours.h"
#include "core/eval/Triggers.h"
#include "core/model/AreaImage.h"
#include "core/model/ChipDescription.h"
#include "core/model/ConfigItem.h"
#include "core/model/CoreContext.h"
#include "core/text/ParseNumber.h"
#include "core/text/TextFormat.h"

namespace korvane {

namespace {

constexpr size_t kWarningChars = 1023;  // the warning travels in a buffer of 1024 characters

size_t CodePoints(const std::string& text) {
  size_t n = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

std::string CutToCodePoints(const std::string& text, size_t limit) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n++ == limit) return text.substr(0, i);
  return text;
}

std::string HexBySize(uint32_t size, uint32_t v) {
  if (size == 1) return StrFormat("0x%02X", v);
  if (size == 2) return StrFormat("0x%04X", v);
  return StrFormat("0x%08X", v);
}

// A hexadecimal text read as a 32-bit unsigned number, saturating.
uint32_t ReadHex32(const std::string& text) {
  const uint64_t v = ReadHexDigits(text);
  return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

bool IsDescendantOf(const ConfigItem* item, const ConfigItem* ancestor) {
  for (const ConfigItem* a = item ? item->parent : nullptr; a; a = a->parent)
    if (a == ancestor) return true;
  return false;
}

void CollectRows(const std::vector<std::unique_ptr<GridRow>>& rows, std::vector<GridRow*>& out) {
  for (const auto& r : rows) {
    out.push_back(r.get());
    CollectRows(r->SubRows(), out);
  }
}

bool IsTreeNode(const ConfigItem& node) {
  for (const ConfigItem* x = &node; x->parent; x = x->parent) {
    if (x->visible == 0) return false;
    if (x != &node && x->setable != 0) return false;
  }
  return true;
}

}  // namespace

// ---- GridRow ----

GridRow::~GridRow() {
  // An item never keeps a row that is gone.
  if (item_ && item_->gridRow == this) item_->gridRow = nullptr;
}

void GridRow::SetValue(const std::string& text) { value_ = text; }

void GridRow::Enable(bool enable) {
  if (item_ && item_->IsValueItem()) enabled_ = enable;
}

void GridRow::RemoveAllSubItems() {
  for (auto& row : subRows_) row.reset();
  subRows_.clear();
}

bool GridRow::AcceptsTyped(const std::string& text) const {
  if (CodePoints(text) > static_cast<size_t>(EffectiveMaxLength())) return false;
  if (validChars.empty()) return true;
  return std::all_of(text.begin(), text.end(), [&](char c) { return validChars.find(c) != std::string::npos; });
}

// ---- GridModel ----

GridModel::GridModel(ChipDescription& description, IGridHost* host) : description_(description), host_(host) {
  Context().grid = this;
}

GridModel::~GridModel() {
  Clear();
  if (Context().grid == this) Context().grid = nullptr;
}

CoreContext& GridModel::Context() const { return description_.Context(); }

void GridModel::Clear() {
  for (auto& row : rows_) row.reset();
  rows_.clear();
}

void GridModel::Notify() {
  if (host_) host_->RowsChanged();
}

std::vector<GridRow*> GridModel::AllRows() const {
  std::vector<GridRow*> out;
  CollectRows(rows_, out);
  return out;
}

GridRow* GridModel::Insert(std::unique_ptr<GridRow> row, GridRow* parent, size_t* position) {
  GridRow* r = row.get();
  r->parent_ = parent;
  RowList& level = Level(parent);
  if (position) {
    const size_t at = std::min(*position, level.size());
    level.insert(level.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    *position = at + 1;
  } else {
    level.push_back(std::move(row));
  }
  if (r->item_) r->item_->gridRow = r;
  return r;
}

GridRow* GridModel::AddRow(ConfigItem* item, GridRow* parent, bool evaluateEnable) {
  return AddRowAt(item, parent, evaluateEnable, nullptr);
}

// position, when given, is where the next row of parent's level goes; the
// rows of a ulist's selected option follow the ulist row there.
GridRow* GridModel::AddRowAt(ConfigItem* item, GridRow* parent, bool evaluateEnable, size_t* position) {
  if (!item || item->visible == 0) return nullptr;
  CoreContext& ctx = Context();

  if (item->ulist || item->list) {
    if (item->list && !item->ulist) item->value = OptionText(*item, item->index);
    auto owned = std::make_unique<GridRow>(*this, item, false);
    owned->caption = item->caption;
    owned->SetOriginalValue(item->value);
    owned->description = item->descript;
    for (auto& child : item->children)
      if (child->visible != 0) owned->options.push_back(child->name);
    owned->allowTyping = false;
    GridRow* row = Insert(std::move(owned), parent, position);
    row->Enable(item->disable == 0 && item->readonly == 0);
    if (item->ulist) {
      ApplyDefault(*item);
      for (size_t i = 0; i < item->children.size(); ++i) {
        ConfigItem& option = *item->children[i];
        if (option.loadedValue.empty()) option.loadedValue = std::to_string(i);
        if (option.name == item->value)
          for (auto& grandchild : option.children) AddRowAt(grandchild.get(), parent, evaluateEnable, position);
      }
    } else if (evaluateEnable) {
      UpdateEnable(*item, ctx);
    }
    return item->gridRow;
  }

  if (item->edit) {
    auto owned = std::make_unique<GridRow>(*this, item, false);
    owned->caption = item->caption;
    owned->SetOriginalValue(item->value);
    owned->description = item->descript;
    owned->allowTyping = true;
    GridRow* row = Insert(std::move(owned), parent, position);
    row->Enable(item->disable == 0 && item->readonly == 0);
    if (evaluateEnable) UpdateEnable(*item, ctx);
    if (item->gridRow) SetupInput(*item->gridRow, *item);
    return item->gridRow;
  }

  auto owned = std::make_unique<GridRow>(*this, item, true);
  owned->caption = item->caption;
  owned->description = item->descript;
  GridRow* row = Insert(std::move(owned), parent, position);
  for (size_t i = 0; i < item->children.size(); ++i) {
    if (static_cast<int64_t>(i) >= item->boundCount) break;
    AddRowAt(item->children[i].get(), row, evaluateEnable, nullptr);
  }
  return row;
}

void GridModel::SetupInput(GridRow& row, const ConfigItem& item) {
  const char* kDigits = "0123456789";
  const char* kSignedDigits = "-0123456789";
  if (item.number || item.isSigned) {
    row.SetValidChars(item.number && !item.isSigned ? kDigits : kSignedDigits);
    row.SetMaxLength(10);
    if (item.max != item.min) {
      row.SetRange(item.max, item.min);
    } else if (item.HasValidBitRange()) {
      // The bits the encoder really stores: at most 32, whatever the description claims.
      const int w = FieldBitSpan(item.sbit, item.ebit).width;
      if (w == 1)
        row.SetRange(1, 0);
      else if (item.isSigned)
        row.SetRange((int64_t{1} << (w - 1)) - 1, -(int64_t{1} << (w - 1)));
      else
        row.SetRange((int64_t{1} << w) - 1, item.min);
    }
  } else if (item.hex) {
    row.SetValidChars("0123456789abcdefABCDEFxX");
    if (item.size != 0) row.SetMaxLength(static_cast<int32_t>(std::min<uint32_t>(item.size, 1000) * 2 + 2));
    row.SetRange(item.size == 1 ? 0xFF : item.size == 2 ? 0xFFFF : 0xFFFFFFFFll, 0);
  } else if (item.bin) {
    row.SetValidChars("01");
  } else if (item.data) {
    row.SetValidChars("0123456789abcdefABCDEF ");
  }
}

void GridModel::EndEdit(GridRow& row) {
  ConfigItem* item = row.Item();
  if (!item || row.rangeMin == row.rangeMax) return;
  const int64_t v = ParseNumber64(row.Value(), item->hex != 0, 0);
  if (v >= row.rangeMin && v <= row.rangeMax) return;

  const std::string warning = Context().LookupText("MAXMIN_Value_Notify") +
                              StrFormat("%lld ~ %lld!", static_cast<long long>(row.rangeMin),
                                        static_cast<long long>(row.rangeMax));
  if (host_) host_->PostWarning(CutToCodePoints(warning, kWarningChars));
  const std::string replacement = item->hex ? HexBySize(item->size, static_cast<uint32_t>(row.rangeMax))
                                            : StrFormat("%lld", static_cast<long long>(row.rangeMax));
  row.SetValue(replacement);
  SetValueText(*item, replacement);
  UpdateRowDescription(row);
  Notify();
}

void GridModel::OnPropertyChanged(GridRow& row) {
  ConfigItem* const item = row.Item();
  if (!item) return;
  CoreContext& ctx = Context();
  if (!description_.modified) description_.modified = 1;

  item->value = row.Value();
  if (item->hex) {
    item->value = HexBySize(item->size, ReadHex32(item->value));
    row.SetValue(item->value);
  }

  if (item->edit) {
    WriteAttribute(*item, "value", item->value);
  } else if (item->list || item->ulist) {
    const auto match = std::find(row.options.begin(), row.options.end(), item->value);
    if (match != row.options.end()) {
      // The k-th option is the k-th visible child; index counts all children.
      size_t k = static_cast<size_t>(match - row.options.begin());
      for (size_t i = 0; i < item->children.size(); ++i) {
        if (item->children[i]->visible == 0) continue;
        if (k-- == 0) {
          item->index = static_cast<int32_t>(i);
          WriteAttribute(*item, "index", std::to_string(i));
          NameSelectedOption(*item, true);
          break;
        }
      }
    }
  }

  if (item->ulist) ReplaceOptionRows(row);

  ConfigItem* const before = ctx.changingItem;
  ctx.changingItem = item;
  ApplyTrigger(*item, ctx);
  ctx.changingItem = before;

  // The trigger may have rebuilt the rows around this one; go by the item.
  if (item->gridRow) UpdateRowDescription(*item->gridRow);
  if (host_) host_->Relayout();
  description_.checksumDirty = 1;
  Notify();
}

// The rows of the formerly selected option's items give way to those of the
// newly selected option, right after the ulist row.
void GridModel::ReplaceOptionRows(GridRow& ulistRow) {
  ConfigItem* const ulist = ulistRow.Item();
  GridRow* const parent = ulistRow.Parent();
  RowList& level = Level(parent);
  // Every row that shows a part of an option, nested ulists' option rows included.
  for (size_t i = 0; i < level.size();) {
    if (IsDescendantOf(level[i]->Item(), ulist))
      level.erase(level.begin() + static_cast<std::ptrdiff_t>(i));
    else
      ++i;
  }
  size_t position = 0;
  for (size_t i = 0; i < level.size(); ++i)
    if (level[i].get() == &ulistRow) position = i + 1;
  for (auto& option : ulist->children) {
    if (option->name != ulist->value) continue;
    for (auto& grandchild : option->children) AddRowAt(grandchild.get(), parent, true, &position);
    break;
  }
}

void GridModel::UpdateRowDescription(GridRow& row) {
  ConfigItem* item = row.Item();
  if (!item) return;
  row.description = StrFormat("%s\n%s", item->descript.c_str(), FormatDataText(*item).c_str());
}

std::string GridModel::FormatDataText(ConfigItem& item) {
  if (item.size == 0) return std::string();
  if (item.addr < 0 || int64_t{item.addr} + item.size > kImageSize) return std::string();
  ConfigItem* enclosing = &item;
  while (enclosing->parent && enclosing->parent->size != 0 && enclosing->parent->addr == item.addr)
    enclosing = enclosing->parent;

  CoreContext& ctx = Context();
  if (ctx.scratch.size() < kImageSize) ctx.scratch.assign(kImageSize, 0);
  const auto a = static_cast<uint32_t>(item.addr);
  EncodeItems(enclosing, ctx.scratch.data(), a + item.size, false, ctx);
  const uint8_t* b = ctx.scratch.data() + a;
  // The enclosing item's size decides the layout; it must fit as well.
  const uint32_t size = enclosing->size;
  if (int64_t{a} + size > kImageSize) return std::string();
  if (size == 1) return StrFormat("data=0x%02X", b[0]);
  if (size == 2) return StrFormat("data=0x%02X%02X", b[1], b[0]);
  if (size == 4) return StrFormat("data=0x%02X%02X%02X%02X", b[3], b[2], b[1], b[0]);
  return std::string();
}

void GridModel::CommitValue(GridRow& row, const std::string& text) {
  ConfigItem* const item = row.Item();
  row.SetValue(text);
  OnPropertyChanged(row);
  if (item && item->gridRow) EndEdit(*item->gridRow);
}

// ---- selection ----

void ShowItemInGrid(ChipDescription& description, ConfigItem* item, GridModel& grid) {
  description.currentItem = item;
  if (item && item->parent) {
    ClearGridRows(description.root.get());
    grid.Clear();
    grid.AddRow(item, nullptr, false);
    CoreContext& ctx = description.Context();
    UpdateEnable(*item, ctx);
    Refresh(*item, ctx);
  } else {
    description.currentItem = nullptr;
    grid.Clear();
  }
  for (GridRow* row : grid.AllRows()) row->MarkUnmodified();
  if (grid.Host()) grid.Host()->RowsChanged();
}

ConfigItem* NearestTreeNode(ConfigItem& item) {
  for (ConfigItem* a = item.parent; a; a = a->parent)
    if (IsTreeNode(*a)) return a;
  return item.root;
}

bool SetItemValue(ChipDescription& description, GridModel& grid, ConfigItem& item, const std::string& text,
                  SetValueProblem* problem) {
  auto fail = [&](SetValueProblem p) {
    if (problem) *problem = p;
    return false;
  };
  if (problem) *problem = SetValueProblem::None;
  if (!item.IsValueItem()) return fail(SetValueProblem::NoRow);
  ShowItemInGrid(description, NearestTreeNode(item), grid);
  GridRow* row = item.gridRow;
  if (!row) return fail(SetValueProblem::NoRow);
  if (!row->IsEnabled()) return fail(SetValueProblem::Disabled);
  if (!row->allowTyping) {
    if (std::find(row->options.begin(), row->options.end(), text) == row->options.end())
      return fail(SetValueProblem::NoSuchOption);
  } else if (!row->AcceptsTyped(text)) {
    return fail(SetValueProblem::NotTypable);
  }
  // As in the grid: a text the row already shows commits nothing (no
  // trigger, no modified flag), but the end of editing still checks the range.
  if (text == row->Value()) grid.EndEdit(*row);
  else grid.CommitValue(*row, text);
  return true;
}

std::string DescribeRefusal(SetValueProblem problem, const ConfigItem& item, const std::string& text) {
  const std::string name = "'" + item.name + "'";
  switch (problem) {
    case SetValueProblem::NoRow: return name + " has no row in the grid (a group, or hidden)";
    case SetValueProblem::Disabled: return name + " is disabled by the current values";
    case SetValueProblem::NotTypable: return "'" + text + "' cannot be typed into the row of " + name;
    case SetValueProblem::NoSuchOption: {
      std::string names;
      for (const auto& option : item.children) names += (names.empty() ? "" : ", ") + option->name;
      return name + " has no option '" + text + "' (options: " + names + ")";
    }
    case SetValueProblem::None: break;
  }
  return name + " was not set";
}

}  // namespace korvane
