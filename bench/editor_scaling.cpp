// The editor with large descriptions, offscreen, in the whole main window:
// a generated chip with 10 000 and one with 20 000 value items, measured side
// by side in one run, round after round:
//   open    "open" until the tree is shown
//   select  choosing the largest group (2 000 rows) until the grid is shown
//   commit  choosing an option whose trigger is update(all), until the grid
//           is shown again
//   mark    every value marked as differing from the device, in grid and tree
// and, in the 20 000-item project, showing a 1 000-row group against the
// 2 000-row one. Each step should grow linearly: 20k/10k and 2000/1000 at
// most 2.2. The peak memory (VmHWM) is taken from the moment the 20 000-item
// project is opened (the counter is reset first) to the end of its steps.
// Run: bench_editor_scaling [rounds]   (default 5; the best round counts)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>

#include "app/AppSession.h"
#include "app/CConfigTreeCtrl.h"
#include "app/CDuiHandlerMain.h"
#include "app/CKorvaneApp.h"
#include "app/CPropertyGridCtrl.h"
#include "core/model/ConfigItem.h"
#include "core/text/MessageBox.h"
#include "dui/CDuiControl.h"
#include "dui/CDuiDialog.h"

namespace {

using namespace korvane;
namespace fs = std::filesystem;

constexpr int kSmall = 10000, kLarge = 20000;
constexpr const char* kSwitch = "swAll";     // its options' trigger: update(all)
constexpr const char* kBigGroup = "big";     // 2 000 rows
constexpr const char* kMidGroup = "mid";     // 1 000 rows

// ---- the generated description ----

// Writes value items v<n> with their own two-byte word each; n counts every
// value item of the description.
class DescriptionWriter {
 public:
  explicit DescriptionWriter(int total) : total_(total) {}

  std::string Build() {
    char head[512];
    std::snprintf(head, sizeof head,
                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                  "<config name=\"GEN%d\" caption=\"Generated controller\" select=\"PB1\">\n"
                  "<PB1 caption=\"Generated bank\" chipType=\"0x9001\" funcType=\"1\" fill=\"0xFF\" codeStart=\"0\" "
                  "codeEnd=\"0xFFF\" confStart=\"0x1000\" confEnd=\"0x%X\" optionStart=\"0x40000\" "
                  "optionEnd=\"0x4000F\">\n",
                  total_, 0x1000 + 2 * total_ + 0xFF);
    xml_ = head;
    // The switch heads the largest group; the conditions all over the tree name it.
    Open(kBigGroup, "Large block");
    List(kSwitch, "update(all)", "update(all)");
    Flat(1999);
    Close();
    Open(kMidGroup, "Middle block");
    Flat(1000);
    Close();
    for (int section = 0; next_ < total_; ++section) Mixed(section);
    xml_ += "</PB1>\n</config>\n";
    return xml_;
  }

 private:
  std::string Name(int n) const { return "v" + std::to_string(n); }
  bool Full() const { return next_ >= total_; }

  void Open(const std::string& name, const std::string& caption, const std::string& extra = "") {
    xml_ += "<item name=\"" + name + "\" caption=\"" + caption + "\"" + extra + ">\n";
  }
  void Close() { xml_ += "</item>\n"; }

  int Take() { return next_++; }
  std::string Word(int n, int size) const {
    char at[64];
    std::snprintf(at, sizeof at, " addr=\"0x%X\" size=\"%d\"", 0x1000 + 2 * n, size);
    return at;
  }

  void List(const std::string& name, const std::string& offTrigger, const std::string& onTrigger,
            const std::string& extra = "") {
    const int n = Take();
    xml_ += "<item name=\"" + name + "\" caption=\"Switch " + std::to_string(n) + "\" list=\"1\" index=\"1\" disable=\"0\"" +
            Word(n, 1) + extra + ">";
    xml_ += "<item name=\"Off\" value=\"0\" trigger=\"" + offTrigger + "\"/>";
    xml_ += "<item name=\"On\" value=\"1\" trigger=\"" + onTrigger + "\"/></item>\n";
  }

  // An edit value whose enable condition names switchName; every fourth takes
  // a default while the main switch is on; some are hexadecimal, some ranged,
  // some converted.
  void Edit(const std::string& switchName, const std::string& extra = "") {
    const int n = Take();
    std::string e = "<item name=\"" + Name(n) + "\" caption=\"Setting " + std::to_string(n) + "\" edit=\"1\" disable=\"0\"" +
                    Word(n, 2) + " enableCondition=\"" + switchName + "(1)\"";
    char value[48];
    switch (n % 4) {
      case 0: e += std::string(" defaultCondition=\"") + kSwitch + "(1)\" default=\"5\" value=\"5\""; break;
      case 1: std::snprintf(value, sizeof value, " hex=\"1\" value=\"0x%04X\"", n & 0xFFFF); e += value; break;
      case 2: e += " min=\"0\" max=\"1000\" value=\"" + std::to_string(n % 1000) + "\""; break;
      default: e += " outExpression=\"value*2\" inExpression=\"value/2\" value=\"" + std::to_string(n % 300) + "\""; break;
    }
    xml_ += e + extra + "/>\n";
  }

  // Rows of lists and edit values; each list switches the values after it
  // on and off, or forces one of them.
  void Flat(int count) {
    std::string switchName = kSwitch;
    for (int i = 0; i < count && !Full(); ++i) {
      if (i % 10 == 0) {
        const int n = next_;
        switchName = Name(n);
        const std::string a = Name(n + 1), b = Name(n + 2);
        if (i % 20 == 0) List(switchName, "disable(" + a + "," + b + ")", "enable(" + a + "," + b + ")");
        else List(switchName, a + "(7)" + "valid(" + b + ")", "update(" + a + ")");
      } else {
        Edit(switchName);
      }
    }
  }

  // A section of 2 000 values in groups of 250 of three kinds: plain rows, a
  // count with a block bound to it, and lists with sub-items per option;
  // some hidden, some not editable in the tree.
  void Mixed(int section) {
    Open("sec" + std::to_string(section), "Section " + std::to_string(section));
    for (int g = 0; g < 8 && !Full(); ++g) {
      const std::string group = "s" + std::to_string(section) + "g" + std::to_string(g);
      const std::string extra = g == 7 ? " setable=\"1\"" : g == 6 ? " visible=\"0\"" : "";
      Open(group, "Group " + std::to_string(g), extra);
      if (g % 3 == 0) {
        Flat(250);
      } else if (g % 3 == 1) {
        const std::string count = Name(next_);
        {
          const int n = Take();
          xml_ += "<item name=\"" + count + "\" caption=\"Entries\" edit=\"1\" min=\"1\" max=\"8\" value=\"4\" disable=\"0\"" +
                  Word(n, 1) + " trigger=\"update(" + group + "b)\"/>\n";
        }
        Open(group + "b", "Entries", " maxcountbind=\"" + count + "\"");
        for (int e = 0; e < 8 && !Full(); ++e) {
          Open(group + "e" + std::to_string(e), "Entry " + std::to_string(e));
          Flat(31);
          Close();
        }
        Close();
      } else {
        for (int u = 0; u < 50 && !Full(); ++u) {
          const int n = Take();
          xml_ += "<item name=\"" + Name(n) + "\" caption=\"Mode " + std::to_string(n) + "\" ulist=\"1\" index=\"0\" disable=\"0\"" +
                  Word(n, 1) + ">\n";
          for (int option = 0; option < 2; ++option) {
            xml_ += "<item name=\"Mode" + std::to_string(option) + "\" value=\"" + std::to_string(option) + "\">\n";
            Edit(Name(n));
            Edit(Name(n));
            xml_ += "</item>\n";
          }
          xml_ += "</item>\n";
        }
      }
      Close();
    }
    Close();
  }

  int total_;
  int next_ = 0;
  std::string xml_;
};

// ---- measuring ----

double Now() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Lets every queued event run: layouts, then the paints they ask for.
void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

long StatusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
  return -1;
}

// Starts the peak resident size afresh from the current one.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The quickest round: what the step costs when nothing else on the machine
// gets in its way.
double Best(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

struct Times {
  std::vector<double> open, select2000, select1000, commit, mark;
};

void CollectValues(ConfigItem& item, std::unordered_map<const ConfigItem*, std::string>& out) {
  if (item.IsValueItem()) out.emplace(&item, item.value);
  for (auto& child : item.children) CollectValues(*child, out);
}

class EditorRun {
 public:
  EditorRun(std::vector<fs::path> projects, int rounds)
      : projects_(std::move(projects)), rounds_(rounds), times_(projects_.size()) {}

  // The main window's pass: every round opens each project in turn.
  int Drive(CDuiHandlerMain& main, CDuiDialog& window) {
    window.resize(1280, 800);
    Settle();
    for (int round = 0; round < rounds_ && ok_; ++round)
      for (size_t p = 0; p < projects_.size() && ok_; ++p) {
        const bool last = round == rounds_ - 1 && p + 1 == projects_.size();
        if (last) ResetPeak();
        Measure(main, p);
        if (last) peakKiB_ = StatusKiB("VmHWM:");
      }
    window.EndDialog(2);
    PumpUntil([&] { return window.Finished(); }, 5000);
    return window.Result();
  }

  bool Ok() const { return ok_; }
  const Times& TimesOf(size_t project) const { return times_[project]; }
  long PeakKiB() const { return peakKiB_; }
  std::string NextFile() const { return nextFile_; }

 private:
  void Fail(const std::string& why) {
    if (ok_) std::fprintf(stderr, "bench_editor_scaling: %s\n", why.c_str());
    ok_ = false;
  }

  static ConfigItem* Item(CDuiHandlerMain& main, const char* name) {
    ConfigItem* root = main.Description().root.get();
    return root ? FindItem(nullptr, root, name) : nullptr;
  }

  double Select(CDuiHandlerMain& main, const char* group) {
    ConfigItem* item = Item(main, group);
    QTreeWidgetItem* node = item ? main.ConfigTree()->NodeOf(item) : nullptr;
    if (!node) {
      Fail(std::string("no tree node for ") + group);
      return 0;
    }
    const double start = Now();
    main.ConfigTree()->setCurrentItem(node);
    Settle();
    const double took = Now() - start;
    if (main.Description().currentItem != item) Fail(std::string("selecting did not show ") + group);
    return took;
  }

  void Measure(CDuiHandlerMain& main, size_t p) {
    Times& t = times_[p];
    nextFile_ = projects_[p].string();
    main.Description().modified = 0;  // the last round's edits are dropped without a prompt
    double start = Now();
    main.OnDuiMessage(main.MainDialog()->FindControl("open")->UID(), "open", DUI_MSG_CLICK, 0, 0);
    Settle();
    t.open.push_back(Now() - start);
    if (!main.Description().HasTree() || main.Description().path != nextFile_) return Fail("open failed");

    // The smaller group first, so that each selection changes the grid.
    ConfigItem* sw = Item(main, kSwitch);
    CPropertyGridCtrl* grid = main.PropertyGrid();
    t.select1000.push_back(Select(main, kMidGroup));
    t.select2000.push_back(Select(main, kBigGroup));

    for (int i = 0; i < 2 && ok_; ++i) {
      auto* combo = qobject_cast<QComboBox*>(grid->StartEditing(sw));
      if (!combo) return Fail("the switch opens no list");
      const int at = combo->findText(sw->index == 1 ? "Off" : "On");
      const int32_t before = sw->index;
      start = Now();
      combo->setCurrentIndex(at);
      emit combo->activated(at);
      PumpUntil([&] { return grid->OpenEditor() == nullptr && sw->index != before; }, 60000);
      Settle();
      t.commit.push_back(Now() - start);
      if (sw->index == before) Fail("the commit did not take");
      // The checksum bar follows the commit on the next timer tick; do it
      // now so that the tick does not land inside another step.
      main.PollCodeFile();
    }

    // What an item comparison that found every value different shows: the
    // marked rows of the grid and the marked nodes of the tree.
    auto& differing = main.Session().differingItems;
    CollectValues(*main.Description().root, differing);
    start = Now();
    main.ShowDifferences();
    Settle();
    t.mark.push_back(Now() - start);
    main.ClearDifferences();
    Settle();
  }

  std::vector<fs::path> projects_;
  int rounds_;
  bool ok_ = true;
  std::vector<Times> times_;
  long peakKiB_ = -1;
  std::string nextFile_;
};

void Row(const char* what, double small, double large, double goal) {
  const double ratio = small > 0 ? large / small : 0;
  std::printf("%-28s %10.1f ms %10.1f ms   ratio %5.2f (goal <= %.1f)%s\n", what, small, large, ratio, goal,
              ratio <= goal ? "" : "  MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  // Projects, settings and the log in a folder of the run's own.
  std::string pattern = (fs::temp_directory_path() / "korvane-editor-bench.XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("bench_editor_scaling: mkdtemp");
    return 1;
  }
  const fs::path dir = pattern;
  fs::create_directories(dir / "config");
  fs::create_directories(dir / "log");
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((dir / "config").string()));

  std::vector<fs::path> projects;
  for (int n : {kSmall, kLarge}) {
    projects.push_back(dir / ("gen" + std::to_string(n) + ".xml"));
    std::ofstream(projects.back()) << DescriptionWriter(n).Build();
  }

  int status = 0;
  {
    int qtArgc = 1;
    char name[] = "bench_editor_scaling";
    char* qtArgv[] = {name, nullptr};
    QApplication qt(qtArgc, qtArgv);
    QApplication::setStyle("Fusion");

    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    EditorRun run(projects, rounds);
    AppOptions options;
    options.archivePath = (bin / "Korvane.ui").string();
    options.hexEditorPath = (bin / "korvane-hexeditor").string();
    options.singleInstance = false;
    options.logDir = (dir / "log").string();
    options.modalHook = [&](CDuiDialog& d) {
      if (d.Name() == "dlg_main") {
        auto* main = dynamic_cast<CDuiHandlerMain*>(d.Handler());
        return main ? run.Drive(*main, d) : 0;
      }
      // Only a save prompt may come; the edits are dropped.
      if (d.Name() != "dlg_msgbox") std::fprintf(stderr, "bench_editor_scaling: unexpected dialog %s\n", d.Name().c_str());
      return int(IDNO);
    };
    options.fileDialogHook = [&](bool, const FileDialogRequest&, std::string* path) {
      *path = run.NextFile();
      return true;
    };
    CKorvaneApp app(options);
    status = app.RunApplication();

    if (status != 0 || !run.Ok()) {
      std::fprintf(stderr, "bench_editor_scaling: the run failed\n");
      status = 1;
    } else {
      const Times& s = run.TimesOf(0);
      const Times& l = run.TimesOf(1);
      std::printf("best of %d rounds, offscreen       10 000 items  20 000 items\n", rounds);
      Row("open until the tree shows", Best(s.open), Best(l.open), 2.2);
      Row("select the 2000-row group", Best(s.select2000), Best(l.select2000), 2.2);
      Row("commit with update(all)", Best(s.commit), Best(l.commit), 2.2);
      Row("mark every value differing", Best(s.mark), Best(l.mark), 2.2);
      std::printf("%-28s %10s    %10s\n", "", "1000 rows", "2000 rows");
      Row("show a group, 20 000 items", Best(l.select1000), Best(l.select2000), 2.2);
      std::printf("peak memory (VmHWM) with the 20 000-item project open: %.1f MiB\n", run.PeakKiB() / 1024.0);
    }
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return status;
}
