#pragma once
// A tree control that keeps the nodes a loader puts into it, for tests that
// load descriptions without a window.
#include <cstdint>
#include <string>
#include <vector>

#include "core/model/ChipDescription.h"

namespace korvane::test {

struct FakeTree : ITreeControl {
  struct NodeRec {
    std::string text;
    int parent;  // -1 at the top level
    void* data = nullptr;
    bool expanded = false;
  };
  std::vector<NodeRec> nodes;
  Node InsertNode(const std::string& text, Node parent) override {
    nodes.push_back({text, parent ? static_cast<int>(reinterpret_cast<intptr_t>(parent)) - 1 : -1});
    return reinterpret_cast<Node>(static_cast<intptr_t>(nodes.size()));
  }
  void SetNodeData(Node n, void* data) override { nodes[Index(n)].data = data; }
  void Expand(Node n) override { nodes[Index(n)].expanded = true; }
  static size_t Index(Node n) { return static_cast<size_t>(reinterpret_cast<intptr_t>(n)) - 1; }
  const NodeRec* Find(const std::string& text) const {
    for (const auto& n : nodes)
      if (n.text == text) return &n;
    return nullptr;
  }
};

}  // namespace korvane::test
