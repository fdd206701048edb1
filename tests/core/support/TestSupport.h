#pragma once
// Small doubles the core tests share: a message box that records what it was
// asked to show, a tree control that keeps its nodes, and a temporary folder.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/model/ChipDescription.h"
#include "core/text/MessageBox.h"

namespace korvane::test {

struct RecordingMessageBox : IMessageBox {
  struct Shown {
    std::string text, caption;
    unsigned type;
  };
  std::vector<Shown> shown;
  std::vector<int> answers;  // given in turn; IDOK when they run out
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    shown.push_back({text, caption, type});
    if (answers.empty()) return IDOK;
    int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

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

class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("korvane-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name, const std::string& content) const {
    const auto p = path_ / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }
  std::string Path(const std::string& name = "") const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
  static inline int counter_ = 0;
};

// Writes past a few bytes fail while it lives, as on a full disk (the
// process's file size limit; the signal it would raise is ignored).
class ScopedWriteLimit {
 public:
  explicit ScopedWriteLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedWriteLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  ScopedWriteLimit(const ScopedWriteLimit&) = delete;
  ScopedWriteLimit& operator=(const ScopedWriteLimit&) = delete;

 private:
  struct rlimit old_ {};
  void (*oldSignal_)(int) = SIG_DFL;
};

// The names in a folder, sorted.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace korvane::test
