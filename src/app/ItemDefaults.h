#pragma once
// The values a chip's installed description gives its items, which is what
// "new" starts a project with: the grid's description pane shows them as the
// items' defaults, whatever the project holds now.
#include <string>
#include <unordered_map>

namespace korvane {

struct CoreContext;

class ItemDefaults {
 public:
  // Reads the installed description of chipName and its function, unless
  // they are the ones read last. A chip that is not installed, or has no such
  // function, gives no defaults.
  void Follow(const CoreContext& ctx, const std::string& chipName, const std::string& functionName);
  // The default of the value item named name as the grid shows values (an
  // option's name for list items); null when there is none.
  const std::string* Find(const std::string& name) const;

 private:
  std::string chip_;
  std::string function_;
  bool read_ = false;
  std::unordered_map<std::string, std::string> values_;
};

}  // namespace korvane
