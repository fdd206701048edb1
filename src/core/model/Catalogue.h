#pragma once
// The device catalogue: categories of products and under each the functions a
// chip can be configured for; each chip description names the functions it
// supports, and the catalogue tree of one chip shows just those.
#include <memory>
#include <string>
#include <vector>

#include "core/model/ChipDescription.h"

namespace korvane {

struct CoreContext;

struct CatalogueEntry {
  ITreeControl::Node node = nullptr;  // none until the entry is shown
  std::string name;
  std::string caption;
  std::string descript;
  CatalogueEntry* parent = nullptr;  // the category of a function; none for the top and the categories
  int supported = 0;                 // a function the chip supports
};

// The names of a support list: split at ","; where the rest holds no ",", at
// ";". Names are trimmed; empty ones are skipped. "PB1,ADP2;HUB3" gives PB1,
// ADP2, HUB3; "PB1;ADP2,HUB3" gives "PB1;ADP2" and HUB3.
std::vector<std::string> ParseSupportList(const std::string& text);

// The catalogue loaded for one chip. Owns its entries until the next load.
class Catalogue {
 public:
  // Rebuilds the entries for chipName and inserts the top node, the
  // categories holding a supported function and those functions into tree
  // (when given; the caller empties the view first). A missing catalogue
  // gives no nodes; a chip without a support list only the top node.
  void LoadCatalogue(const CoreContext& context, const std::string& chipName, ITreeControl* tree);

  const std::string& ChipName() const { return chipName_; }
  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  // Every entry of the catalogue file, top first, in document order.
  const std::vector<std::unique_ptr<CatalogueEntry>>& Entries() const { return entries_; }
  // The supported functions in the order they are shown.
  const std::vector<CatalogueEntry*>& Supported() const { return supported_; }

 private:
  std::string chipName_, name_, caption_;
  std::vector<std::unique_ptr<CatalogueEntry>> entries_;
  std::vector<CatalogueEntry*> supported_;
};

// The installed chips: the names (without ".xml") of the description files in
// the chips folder, in the order the file system lists them.
std::vector<std::string> ListChipNames(const CoreContext& context);

}  // namespace korvane
