#include "cli/DeviceCommands.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "cli/CliDevice.h"
#include "core/files/ImagePreparation.h"
#include "core/model/ProjectFile.h"
#include "core/text/AtomicFile.h"
#include "core/text/TextFormat.h"
#include "link/IniFile.h"
#include "link/LinkCommands.h"
#include "link/LinkReport.h"
#include "link/LinkSetup.h"
#include "link/OperationKind.h"
#include "link/OperationRunner.h"
#include "link/PortSetup.h"
#include "link/SerialPortInfo.h"

namespace korvane {

namespace {

// ---- ports ------------------------------------------------------------------

int RunPorts(CliSession& s) {
  std::vector<SerialPortInfo> ports;
  for (const std::string& port : ListComPorts()) ports.push_back(DescribeSerialPort(port));
  s.Output().Ports(ports);
  return kExitOk;
}

// ---- download ---------------------------------------------------------------

struct DownloadArgs {
  PortOptions port;
  std::string project, target = "tool", codeFile;
  bool noCode = false, noConf = false;
};

int RunDownload(CliSession& s, const DownloadArgs& a) {
  if (!s.ChoosesAnArea("download", !a.noConf, !a.noCode)) return kExitUsage;
  if (!s.OpenProject(a.project)) return kExitFile;
  Device device(s);
  if (int status = device.Open(a.port)) return status;
  auto request = SetupDownload(device.link, s.desc, [&](const std::string& codePath) {
    DownloadChoice choice;
    choice.target = ParseTarget(a.target);
    choice.conf = !a.noConf;
    choice.code = !a.noCode;
    choice.codePath = a.codeFile.empty() ? codePath : a.codeFile;
    return std::optional<DownloadChoice>(choice);
  });
  if (!request) return kExitFile;
  return device.Status(device.Run(std::move(*request)));
}

// ---- read -------------------------------------------------------------------

struct ReadArgs {
  PortOptions port;
  std::string project, target = "tool", out;
};

int RunRead(CliSession& s, const ReadArgs& a) {
  if (!s.OpenProject(a.project)) return kExitFile;
  Device device(s);
  if (int status = device.Open(a.port)) return status;
  auto request =
      SetupRead(device.link, s.desc.HasTree(), [&] { return std::optional<TargetKind>(ParseTarget(a.target)); });
  if (!request) return kExitFile;
  const int result = device.Run(std::move(*request));
  if (result != kLinkOk) return kExitDevice;
  std::vector<uint8_t> readBack(kReadBackImageSize, 0);
  for (const auto& area : device.view.reads) ReadBack(s.desc, readBack.data(), area->data.data(), area->size, area->address);
  return SaveProject(s.desc, a.out.empty() ? a.project : a.out) ? kExitOk : kExitFile;
}

// ---- verify -----------------------------------------------------------------

struct VerifyArgs {
  PortOptions port;
  std::string project, codeFile;
  bool noCode = false, noConf = false;
};

int RunVerify(CliSession& s, const VerifyArgs& a) {
  if (!s.ChoosesAnArea("verify", !a.noConf, !a.noCode)) return kExitUsage;
  if (!s.OpenProject(a.project)) return kExitFile;
  Device device(s);
  if (int status = device.Open(a.port)) return status;
  auto request = SetupChecksum(device.link, s.desc, [&](const std::string& codePath) {
    ChecksumChoice choice;
    choice.conf = !a.noConf;
    choice.code = !a.noCode;
    choice.codePath = a.codeFile.empty() ? codePath : a.codeFile;
    return std::optional<ChecksumChoice>(choice);
  });
  if (!request) return kExitFile;
  const uint32_t checked = request->checkMask;
  VerifyFindings findings;
  findings.result = device.Run(std::move(*request));
  findings.message = device.link.message;
  for (const AreaFacts& x : kAreaFacts) {
    const LinkContext::ComparedSums& sums = device.link.compared[x.index];
    findings.areas[x.index] = {(checked & x.checkBit) != 0, sums.read, sums.pc, sums.device};
  }
  s.Output().Verify(findings);
  if (findings.result != kLinkOk) return kExitDevice;
  return device.link.compareMismatch ? kExitMismatch : kExitOk;
}

// ---- device-info ------------------------------------------------------------

struct InfoArgs {
  PortOptions port;
  std::string project, target;
};

int RunDeviceInfo(CliSession& s, const InfoArgs& a) {
  if (!a.project.empty() && !s.OpenProject(a.project)) return kExitFile;
  Device device(s);
  if (int status = device.Open(a.port)) return status;
  if (device.Run(DeviceInfoRequest(ParseTarget(a.target))) != kLinkOk || device.view.infos.empty())
    return kExitDevice;
  s.Output().DeviceInfo(ParseTarget(a.target), device.view.infos.back());
  return kExitOk;
}

// ---- read-area / write-area -------------------------------------------------

struct AreaArgs {
  PortOptions port;
  std::string project, target, area, file;
};

AreaKind ParseArea(const std::string& text) {
  return text == "code" ? AreaKind::Code : text == "option" ? AreaKind::Option : AreaKind::Conf;
}

int RunReadArea(CliSession& s, const AreaArgs& a) {
  if (!s.OpenProject(a.project)) return kExitFile;
  Device device(s);
  if (int status = device.Open(a.port)) return status;
  const AreaKind area = ParseArea(a.area);
  if (device.Run(AreaReadRequest(ParseTarget(a.target), area)) != kLinkOk || device.view.reads.empty())
    return kExitDevice;
  const ReadResult& data = *device.view.reads.back();
  // A failed write leaves what was at the path as it was.
  const std::string_view bytes(reinterpret_cast<const char*>(data.data.data()),
                               std::min<size_t>(data.size, data.data.size()));
  if (!ReplaceFileAtomically(a.file, bytes)) {
    s.Error("cannot write " + a.file);
    return kExitFile;
  }
  return kExitOk;
}

int RunWriteArea(CliSession& s, const AreaArgs& a) {
  if (!s.OpenProject(a.project)) return kExitFile;
  std::ifstream in(a.file, std::ios::binary);
  if (!in) {
    s.Error("cannot read " + a.file);
    return kExitFile;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty()) {
    s.Error(a.file + ": " + s.ctx.LookupText("DEV_PRE_READ_OR_IMPORT"));
    return kExitFile;
  }
  const AreaKind area = ParseArea(a.area);
  OperationRequest request = AreaWriteRequest(ParseTarget(a.target), area);
  const uint32_t n = PlaceAreaBytes(request, s.ctx.layout, area, static_cast<int64_t>(bytes.size()),
                                    [&bytes](uint8_t* destination, uint32_t count) {
                                      std::copy(bytes.begin(), bytes.begin() + count, destination);
                                      return count;
                                    });
  if (n < bytes.size()) s.Warning(StrFormat("%s: only the first %u bytes fit the %s area", a.file.c_str(), n, a.area.c_str()));
  if (!AddProjectOptionBytes(request, s.desc)) return kExitFile;
  Device device(s);
  if (int status = device.Open(a.port)) return status;
  return device.Status(device.Run(std::move(request)));
}

// ---- burn-config ------------------------------------------------------------

struct BurnArgs {
  PortOptions port;
  bool code = false, conf = false;
};

int RunBurnConfig(CliSession& s, const BurnArgs& a) {
  Device device(s);
  if (int status = device.Open(a.port)) return status;
  BurnConfigRecord record;
  const int read = ReadBurnConfig(device.link, record);
  if (read != kLinkOk) {
    const std::string text = s.ctx.LookupText("ERROR_1009") + ", " + ErrorText(device.link, read);
    ReportLog(device.link, FailureLine(device.link, text, read), kColourFailure);
    return kExitDevice;
  }
  auto print = [](const BurnConfigRecord& r) {
    const uint8_t mask = r.Mask();
    std::cout << StrFormat("mask 0x%02X\n", mask) << "code " << (BurnsCode(mask) ? "on" : "off") << '\n'
              << "conf " << (BurnsConf(mask) ? "on" : "off") << '\n';
  };
  if (!a.code && !a.conf) {
    print(record);
    return kExitOk;
  }
  record.bytes[0] = BurnMask(a.code, a.conf);
  const int result = device.Run(BurnConfigRequest(record));
  if (result == kLinkOk) print(record);
  return device.Status(result);
}

}  // namespace

void AddDeviceCommands(CLI::App& app, CliSession& session) {
  {
    CLI::App* sub = app.add_subcommand(
        "ports", "List the serial ports that can be opened now, with the adapter behind each and its stable name");
    session.AddJsonFlag(sub);
    session.AddCommand(sub, [&session] { return RunPorts(session); });
  }
  {
    auto args = std::make_shared<DownloadArgs>();
    CLI::App* sub = app.add_subcommand("download", "Download the configuration and code to the programmer or the chip");
    sub->add_option("PROJECT", args->project, "Project or chip description file")->required();
    args->port.Add(sub);
    sub->add_option("--target", args->target, "Where to write")->check(TargetNames())->type_name("tool|chip");
    sub->add_flag("--no-code", args->noCode, "Leave the code and option areas out");
    sub->add_flag("--no-conf", args->noConf, "Leave the configuration area out");
    sub->add_option("--code-file", args->codeFile, "Code file instead of the project's")->type_name("HEX");
    session.AddCommand(sub, [&session, args] { return RunDownload(session, *args); });
  }
  {
    auto args = std::make_shared<ReadArgs>();
    CLI::App* sub = app.add_subcommand("read", "Read the configuration back into the project's items and save it");
    sub->add_option("PROJECT", args->project, "Project or chip description file")->required();
    args->port.Add(sub);
    sub->add_option("--target", args->target, "Where to read from")->check(TargetNames())->type_name("tool|chip");
    sub->add_option("-o,--output", args->out, "Save to OUT instead of PROJECT")->type_name("OUT");
    session.AddCommand(sub, [&session, args] { return RunRead(session, *args); });
  }
  {
    auto args = std::make_shared<VerifyArgs>();
    CLI::App* sub = app.add_subcommand("verify", "Compare the programmer's checksums with the project's");
    sub->add_option("PROJECT", args->project, "Project or chip description file")->required();
    args->port.Add(sub);
    sub->add_flag("--no-code", args->noCode, "Leave the code and option areas out");
    sub->add_flag("--no-conf", args->noConf, "Leave the configuration area out");
    sub->add_option("--code-file", args->codeFile, "Code file instead of the project's")->type_name("HEX");
    session.AddJsonFlag(sub);
    session.AddCommand(sub, [&session, args] { return RunVerify(session, *args); });
  }
  {
    auto args = std::make_shared<InfoArgs>();
    CLI::App* sub = app.add_subcommand("device-info", "Show the checksums and sizes the programmer or chip holds");
    args->port.Add(sub);
    sub->add_option("--target", args->target, "Which record")->check(TargetNames())->required()->type_name("tool|chip");
    sub->add_option("PROJECT", args->project, "Project whose layout sizes the areas");
    session.AddJsonFlag(sub);
    session.AddCommand(sub, [&session, args] { return RunDeviceInfo(session, *args); });
  }
  for (const bool write : {false, true}) {
    auto args = std::make_shared<AreaArgs>();
    CLI::App* sub = app.add_subcommand(write ? "write-area" : "read-area",
                                       write ? "Write a raw binary file into one area" : "Read one area into a raw binary file");
    sub->add_option("PROJECT", args->project, "Project or chip description file (its layout)")->required();
    args->port.Add(sub);
    sub->add_option("--target", args->target, "Tool or chip")->check(TargetNames())->required()->type_name("tool|chip");
    sub->add_option("--area", args->area, "Area")
        ->check(CLI::IsMember({"conf", "code", "option"}))
        ->required()
        ->type_name("conf|code|option");
    if (write)
      sub->add_option("-i,--input", args->file, "Binary file to write")->required()->type_name("IN.bin");
    else
      sub->add_option("-o,--output", args->file, "Binary file to create")->required()->type_name("OUT.bin");
    session.AddCommand(sub, [&session, args, write] { return write ? RunWriteArea(session, *args) : RunReadArea(session, *args); });
  }
  {
    auto args = std::make_shared<BurnArgs>();
    CLI::App* sub = app.add_subcommand("burn-config", "Show the areas the programmer burns; with flags, set them");
    args->port.Add(sub);
    sub->add_flag("--code", args->code, "Burn the code and option areas");
    sub->add_flag("--conf", args->conf, "Burn the configuration area");
    session.AddCommand(sub, [&session, args] { return RunBurnConfig(session, *args); });
  }
}

}  // namespace korvane
