#pragma once
// A loaded chip description or project: the XML document, the item tree built
// from it, and the project state flags.
#include <memory>
#include <string>

#include <pugixml.hpp>

#include "core/model/AreaLayout.h"
#include "core/model/ConfigItem.h"
#include "core/text/XmlLoader.h"

namespace korvane {

struct CoreContext;

// What a loader needs of a tree view: nodes with a text, a pointer on each
// node, and expansion.
class ITreeControl {
 public:
  using Node = void*;
  virtual ~ITreeControl() = default;
  // Inserts a node as the last child of parent (at the top level when parent is null).
  virtual Node InsertNode(const std::string& text, Node parent) = 0;
  virtual void SetNodeData(Node node, void* data) = 0;
  virtual void Expand(Node node) = 0;
};

class ChipDescription {
 public:
  explicit ChipDescription(CoreContext& context) : ctx_(context) {}
  ~ChipDescription() { ClearDescription(); }
  ChipDescription(const ChipDescription&) = delete;
  ChipDescription& operator=(const ChipDescription&) = delete;

  // Loads a description or project from a full path.
  bool OpenDescription(const std::string& path, ITreeControl* tree);
  // Loads the installed description of chipName and uses its element functionName.
  bool NewDescription(const std::string& chipName, const std::string& functionName, ITreeControl* tree);
  // Files beyond the loader's limits (kMaxXmlFileSize, kMaxXmlDepth) are
  // refused with a message that names the limit.
  bool LoadDocument(const std::string& path);
  // Makes this a fresh copy of source as loaded: its document (with the
  // values it holds), the same function element, path and names, items
  // built anew in this description's own context. source is only read.
  bool LoadCopyOf(const ChipDescription& source);
  void ClearDescription();

  bool HasTree() const { return loaded && root != nullptr; }
  CoreContext& Context() const { return ctx_; }

  std::unique_ptr<ConfigItem> root;
  ConfigItem* currentItem = nullptr;
  pugi::xml_document document;
  int modified = 0;
  int loaded = 0;
  int checksumDirty = 0;
  std::string chipName;
  std::string functionName;
  std::string path;

 private:
  bool BuildTree(pugi::xml_node config, pugi::xml_node function, ITreeControl* tree);
  // "ReadFileError", or the limit the file broke, with the file's path.
  void ReportReadError(const std::string& file) const;

  CoreContext& ctx_;
  XmlLoadProblem loadProblem_ = XmlLoadProblem::None;
};

ChipKind ReadChipKind(pugi::xml_node function);

// Adds item and, as visible and setable allow, its descendants under parent.
void AddTreeItems(ConfigItem* item, ITreeControl::Node parent, ITreeControl& tree);

}  // namespace korvane
