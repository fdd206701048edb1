// korvane-cli diff: which settings differ between the project and another
// project of the same chip, or the configuration a programmer or chip holds.
#include "cli/DiffCommand.h"

#include <memory>

#include "cli/CliDevice.h"
#include "core/eval/ItemBehaviours.h"
#include "core/files/ProjectCompare.h"
#include "link/LinkSetup.h"

namespace korvane {

namespace {

struct DiffArgs {
  PortOptions port;
  std::string project, other, target = "tool";
};

int Verdict(const ConfigComparison& comparison) { return comparison.Differs() ? kExitMismatch : kExitOk; }

// The bytes of both sides behind each range no item covers.
void AddUnownedBytes(DiffRecord& record, const uint8_t* project, const uint8_t* other, uint32_t base) {
  for (const ByteRange& r : record.comparison.unowned) {
    const uint32_t from = r.first - base, to = r.last - base + 1;
    record.bytes.push_back({r, {project + from, project + to}, {other + from, other + to}});
  }
}

int DiffProjects(CliSession& s, const DiffArgs& a) {
  // The other project gets a context of its own: loading it writes its layout there.
  CoreContext otherCtx;
  otherCtx.messageBox = &s.messageBox;
  otherCtx.log = &s.log;
  otherCtx.baseDir = s.ctx.baseDir;
  otherCtx.language = s.ctx.language;
  InstallItemBehaviours(otherCtx);
  ChipDescription other(otherCtx);
  if (!other.OpenDescription(a.other, nullptr)) return kExitFile;
  if (const std::string why = LayoutMismatch(s.desc, other); !why.empty()) {
    s.Error(a.project + " and " + a.other + " are for different chips or layouts: " + why);
    return kExitUsage;
  }
  DiffRecord record{a.project, a.other, CompareProjects(s.desc, other), {}};
  // Both images are still as the comparison prepared them (each in its own context).
  AddUnownedBytes(record, s.ctx.image.bytes.data(), otherCtx.image.bytes.data(), 0);
  s.Output().Diff(record);
  return Verdict(record.comparison);
}

int DiffDevice(CliSession& s, const DiffArgs& a) {
  Device device(s);
  if (int status = device.Open(a.port)) return status;
  auto request =
      SetupRead(device.link, s.desc.HasTree(), [&] { return std::optional<TargetKind>(ParseTarget(a.target)); });
  if (!request) return kExitFile;
  if (device.Run(std::move(*request)) != kLinkOk || device.view.reads.empty()) return kExitDevice;
  const ReadResult& read = *device.view.reads.back();
  // The device's bytes go into a comparison, never into the project's items.
  auto comparison = CompareWithDevice(s.desc, read.data.data(), read.size, read.address);
  if (!comparison) return kExitFile;
  DiffRecord record{a.project, a.target, std::move(*comparison), {}};
  AddUnownedBytes(record, s.ctx.image.bytes.data() + read.address, read.data.data(), read.address);
  s.Output().Diff(record);
  return Verdict(record.comparison);
}

int RunDiff(CliSession& s, const DiffArgs& a) {
  if (!a.other.empty() && !a.port.port.empty()) {
    s.Error("diff compares with OTHER.xml or with the device on --port, not both");
    return kExitUsage;
  }
  if (!s.OpenProject(a.project)) return kExitFile;
  return a.other.empty() ? DiffDevice(s, a) : DiffProjects(s, a);
}

}  // namespace

void AddDiffCommand(CLI::App& app, CliSession& session) {
  auto args = std::make_shared<DiffArgs>();
  CLI::App* sub = app.add_subcommand(
      "diff", "Print the items whose values differ from another project's or from the device's (NAME: VALUE -> OTHER)");
  sub->add_option("PROJECT", args->project, "Project or chip description file")->required();
  sub->add_option("OTHER", args->other, "Another project of the same chip; without it the device's configuration is read")
      ->type_name("OTHER.xml");
  args->port.Add(sub);
  sub->add_option("--target", args->target, "Whose configuration to read (default: tool)")
      ->check(TargetNames())
      ->type_name("tool|chip");
  session.AddJsonFlag(sub);
  session.AddCommand(sub, [&session, args] { return RunDiff(session, *args); });
}

}  // namespace korvane
