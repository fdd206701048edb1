// A chip description or project from outside, then what opening it does: the
// loader and the behaviours' first refresh, the tree, the checksum poll
// (image preparation with the chip's code file, area checksums), the grid of
// the function with its row descriptions and a few commits, the HEX export's
// text, the project text written back, and a read of the image back into
// the items.
#include <algorithm>
#include <vector>

#include "FuzzSupport.h"
#include "core/eval/GridModel.h"
#include "core/eval/ItemBehaviours.h"
#include "core/files/HexExport.h"
#include "core/files/ImagePreparation.h"
#include "core/files/PcChecksums.h"
#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/model/ProjectFile.h"

namespace korvane::fuzz {
namespace {

struct NullTree : ITreeControl {
  int nodes = 0;
  Node InsertNode(const std::string&, Node) override { return reinterpret_cast<Node>(static_cast<intptr_t>(++nodes)); }
  void SetNodeData(Node, void*) override {}
  void Expand(Node) override {}
};

struct SilentHost : IGridHost {
  void PostWarning(const std::string&) override {}
};

void CollectValueItems(ConfigItem* item, std::vector<ConfigItem*>& out) {
  if (!item || out.size() >= 8) return;
  if (item->IsValueItem()) out.push_back(item);
  for (auto& child : item->children) CollectValueItems(child.get(), out);
}

struct Session {
  CoreContext ctx;
  MemoryFile file{"description"};
  std::string codeFile = KORVANE_SOURCE_DIR "/data/xml/orvik/chips/KV7400.hex";
  std::vector<uint8_t> readBack = std::vector<uint8_t>(kReadBackImageSize);
  Session() { InstallItemBehaviours(ctx); }
};

}  // namespace
}  // namespace korvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  static fuzz::Session* session = new fuzz::Session;
  CoreContext& ctx = session->ctx;
  session->file.Set(std::string_view(reinterpret_cast<const char*>(data), size));

  ChipDescription desc(ctx);
  fuzz::NullTree tree;
  if (!desc.OpenDescription(session->file.Path(), &tree)) return 0;

  PrepareImage(desc, false, session->codeFile, false);
  ComputePcChecksums(ctx);

  {
    fuzz::SilentHost host;
    GridModel grid(desc, &host);
    ConfigItem* function = desc.root->children.empty() ? nullptr : desc.root->children[0].get();
    ShowItemInGrid(desc, function, grid);
    for (GridRow* row : grid.AllRows()) grid.OnChangeSelection(row);
    std::vector<ConfigItem*> items;
    fuzz::CollectValueItems(function, items);
    for (ConfigItem* item : items) {
      const std::string text = item->list || item->ulist ? OptionText(*item, 1) : std::string("7");
      SetItemValue(desc, grid, *item, text);
    }
    grid.Clear();
  }

  PrepareImage(desc, false, session->codeFile, false);
  BuildHexText(ctx, true, true);
  ProjectText(desc);

  const size_t n = std::min<size_t>(session->readBack.size(), ctx.image.bytes.size());
  ReadBack(desc, session->readBack.data(), ctx.image.bytes.data(), static_cast<uint32_t>(n), 0);
  return 0;
}
