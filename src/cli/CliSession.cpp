#include "cli/CliSession.h"

#include <iostream>

#include "core/eval/ItemBehaviours.h"
#include "core/files/AreaChoice.h"
#include "core/model/BaseDir.h"
#include "core/text/LanguageTable.h"

namespace korvane {

int StderrMessageBox::ShowMessageBox(const std::string& text, const std::string&, unsigned type) {
  const unsigned icon = type & 0xF0u;
  const char* prefix = icon == MB_ICONERROR ? "error: " : icon == MB_ICONWARNING ? "warning: " : "";
  out_ << "korvane-cli: " << prefix << text << '\n';
  out_.flush();
  switch (type & 0x0Fu) {
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    default: return IDOK;
  }
}

CliSession::CliSession() : messageBox(std::cerr) {
  ctx.messageBox = &messageBox;
  ctx.log = &log;
  InstallItemBehaviours(ctx);
}

void CliSession::AddGlobalOptions(CLI::App& app) {
  app.add_option("--base-dir", baseDirOption, "Folder that holds xml/orvik/ (default: beside the program)")
      ->type_name("DIR");
  app.add_option("--lang", language, "Language of messages")
      ->check(CLI::IsMember({"en-us", "zh-cn"}))
      ->type_name("en-us|zh-cn");
}

void CliSession::Configure() {
  std::string base = baseDirOption.empty() ? FindBaseDir() : baseDirOption;
  if (!base.empty() && base.back() != '/') base += '/';
  ctx.baseDir = base;
  ctx.language = LanguageTable::Embedded(language);
}

void CliSession::AddCommand(CLI::App* sub, std::function<int()> run) { commands_.emplace_back(sub, std::move(run)); }

int CliSession::RunParsedCommand() {
  for (auto& [sub, run] : commands_)
    if (sub->parsed()) return run();
  Error("no command given (see --help)");
  return kExitUsage;
}

bool CliSession::OpenProject(const std::string& path) {
  // The loader shows "ReadFileError" with the path when it fails.
  if (!desc.OpenDescription(path, nullptr)) return false;
  desc.checksumDirty = 1;
  return true;
}

bool CliSession::ChoosesAnArea(const char* command, bool conf, bool code) const {
  // The code file is checked once the project that names it is loaded.
  if (CheckAreaChoice(conf, code, nullptr) != AreaChoiceProblem::NoArea) return true;
  Error(std::string("nothing to ") + command + ": --no-code and --no-conf leave no area");
  return false;
}

void CliSession::AddJsonFlag(CLI::App* sub) {
  sub->add_flag("--json", json, "Print one JSON document on stdout instead of text lines");
}

CliOutput CliSession::Output() const { return CliOutput(json, std::cout); }

void CliSession::Error(const std::string& text) const { std::cerr << "korvane-cli: error: " << text << '\n'; }
void CliSession::Warning(const std::string& text) const { std::cerr << "korvane-cli: warning: " << text << '\n'; }

}  // namespace korvane
