#include "cli/CliOutput.h"

#include <ctime>

#include <nlohmann/json.hpp>

#include "core/model/ConfigItem.h"
#include "core/text/TextFormat.h"
#include "link/LinkArea.h"

namespace korvane {

namespace {

using Json = nlohmann::ordered_json;

std::string Hex32(uint32_t v) { return StrFormat("0x%08X", v); }

// Texts from files need not be valid UTF-8; such bytes are replaced rather
// than stopping the output.
void Print(std::ostream& out, const Json& doc) {
  out << doc.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

std::string HexBytes(const std::vector<uint8_t>& bytes, size_t most, const char* separator) {
  std::string text;
  for (size_t i = 0; i < bytes.size() && i < most; ++i)
    text += (i ? separator : "") + StrFormat("%02X", bytes[i]);
  if (bytes.size() > most) text += std::string(separator) + "...";
  return text;
}

const char* AreaKey(AreaKind area) {
  return area == AreaKind::Code ? "code" : area == AreaKind::Option ? "option" : "conf";
}

Json ChecksumsJson(const PcChecksums& s) {
  return Json{{"conf", Hex32(s.conf)},         {"code", Hex32(s.code)},         {"option", Hex32(s.option)},
              {"confSize", s.confSize},        {"codeSize", s.codeSize},        {"optionSize", s.optionSize}};
}

void PrintChecksumLines(std::ostream& out, const PcChecksums& s) {
  out << StrFormat("conf 0x%08X\n", s.conf) << StrFormat("code 0x%08X\n", s.code)
      << StrFormat("option 0x%08X\n", s.option) << StrFormat("conf-size %d\n", static_cast<int>(s.confSize))
      << StrFormat("code-size %d\n", static_cast<int>(s.codeSize))
      << StrFormat("option-size %d\n", static_cast<int>(s.optionSize));
}

}  // namespace

void CliOutput::Chips(const std::vector<ChipListing>& chips) {
  if (json_) {
    Json list = Json::array();
    for (const ChipListing& chip : chips) {
      Json functions = Json::array();
      for (const auto& f : chip.functions)
        functions.push_back({{"name", f.name}, {"caption", f.caption}, {"device", f.device}});
      list.push_back({{"chip", chip.chip}, {"functions", functions}});
    }
    Print(out_, list);
    return;
  }
  for (const ChipListing& chip : chips) {
    out_ << chip.chip << '\n';
    if (chip.functions.empty()) out_ << "  (no supported functions)\n";
    for (const auto& f : chip.functions) out_ << "  " << f.name << "  " << f.caption << " (" << f.device << ")\n";
  }
}

void CliOutput::Ports(const std::vector<SerialPortInfo>& ports) {
  if (json_) {
    Json list = Json::array();
    for (const SerialPortInfo& p : ports)
      list.push_back({{"path", p.path}, {"vendor", p.vendor}, {"model", p.model}, {"serial", p.serial},
                      {"stablePath", p.stablePath}});
    Print(out_, list);
    return;
  }
  for (const SerialPortInfo& p : ports) {
    out_ << p.path;
    if (const std::string adapter = AdapterSummary(p); !adapter.empty()) out_ << "  " << adapter;
    if (!p.stablePath.empty()) out_ << "  " << p.stablePath;
    out_ << '\n';
  }
}

void CliOutput::Info(const ProjectInfo& i) {
  const AreaLayout& l = i.layout;
  if (json_) {
    auto area = [](uint32_t start, uint32_t size) { return Json{{"start", Hex32(start)}, {"size", size}}; };
    Print(out_, Json{{"project", i.project},
                     {"chip", i.chip},
                     {"function", i.function},
                     {"chipType", Hex32(i.kind.chipType)},
                     {"funcType", Hex32(i.kind.funcType)},
                     {"areas", {{"code", area(l.codeStart, l.codeSize)},
                                {"conf", area(l.confStart, l.confSize)},
                                {"option", area(l.optionStart, l.optionSize)}}},
                     {"codeFile", i.codeFile},
                     {"checksums", ChecksumsJson(i.checksums)}});
    return;
  }
  out_ << "project " << i.project << '\n'
       << "chip " << i.chip << '\n'
       << "function " << i.function << '\n'
       << StrFormat("chip-type 0x%08X\nfunc-type 0x%08X\n", i.kind.chipType, i.kind.funcType)
       << StrFormat("code-area 0x%08X %u\n", l.codeStart, l.codeSize)
       << StrFormat("conf-area 0x%08X %u\n", l.confStart, l.confSize)
       << StrFormat("option-area 0x%08X %u\n", l.optionStart, l.optionSize) << "code-file " << i.codeFile << '\n';
  PrintChecksumLines(out_, i.checksums);
}

void CliOutput::Checksums(const PcChecksums& sums) {
  if (json_) Print(out_, ChecksumsJson(sums));
  else PrintChecksumLines(out_, sums);
}

void CliOutput::Values(const std::vector<std::pair<std::string, std::string>>& values) {
  if (json_) {
    // An object by name; where a description repeats a name, the first item
    // of that name holds it, as a lookup by name finds it.
    Json object = Json::object();
    for (const auto& [name, value] : values)
      if (!object.contains(name)) object[name] = value;
    Print(out_, object);
    return;
  }
  for (const auto& [name, value] : values) out_ << name << '=' << value << '\n';
}

void CliOutput::DeviceInfo(TargetKind target, const DeviceInfoRecord& r) {
  using R = DeviceInfoRecord;
  if (json_) {
    Print(out_, Json{{"target", target == TargetKind::Chip ? "chip" : "tool"},
                     {"chipType", Hex32(r.field[R::ChipType])},
                     {"funcType", Hex32(r.field[R::FuncType])},
                     {"conf", Hex32(r.field[R::ConfChecksum])},
                     {"code", Hex32(r.field[R::CodeChecksum])},
                     {"option", Hex32(r.field[R::OptionChecksum])},
                     {"confSize", r.field[R::ConfLength]},
                     {"codeSize", r.field[R::CodeLength]},
                     {"optionSize", r.field[R::OptionLength]}});
    return;
  }
  out_ << StrFormat("conf 0x%08X\n", r.field[R::ConfChecksum]) << StrFormat("code 0x%08X\n", r.field[R::CodeChecksum])
       << StrFormat("option 0x%08X\n", r.field[R::OptionChecksum])
       << StrFormat("conf-size %d\n", static_cast<int>(r.field[R::ConfLength]))
       << StrFormat("code-size %d\n", static_cast<int>(r.field[R::CodeLength]))
       << StrFormat("option-size %d\n", static_cast<int>(r.field[R::OptionLength]));
}

void CliOutput::Verify(const VerifyFindings& f) {
  if (!json_) return;
  Json areas = Json::object();
  bool match = f.result == 0;
  for (const AreaFacts& x : kAreaFacts) {
    const VerifyFindings::Area& a = f.areas[x.index];
    if (!a.checked) continue;
    Json area{{"read", a.read}};
    if (a.read) {
      area["pc"] = Hex32(a.pc);
      area["device"] = Hex32(a.device);
      area["match"] = a.pc == a.device;
    }
    match = match && a.read && a.pc == a.device;
    areas[AreaKey(x.area)] = area;
  }
  Print(out_, Json{{"result", f.result}, {"message", f.message}, {"match", match}, {"areas", areas}});
}

void CliOutput::Diff(const DiffRecord& d) {
  if (json_) {
    Json items = Json::array();
    for (const ItemDifference& i : d.comparison.items)
      items.push_back(
          {{"name", i.item->name}, {"caption", i.item->caption}, {"project", i.projectText}, {"other", i.otherText}});
    Json bytes = Json::array();
    for (const DiffRecord::Bytes& b : d.bytes)
      bytes.push_back({{"first", Hex32(b.range.first)},
                       {"last", Hex32(b.range.last)},
                       {"project", HexBytes(b.project, b.project.size(), "")},
                       {"other", HexBytes(b.other, b.other.size(), "")}});
    Print(out_, Json{{"project", d.project},
                     {"other", d.other},
                     {"differs", d.comparison.Differs()},
                     {"items", items},
                     {"bytes", bytes}});
    return;
  }
  for (const ItemDifference& i : d.comparison.items)
    out_ << i.item->name << ": " << i.projectText << " -> " << i.otherText << '\n';
  // Only a few bytes of a long range are shown; the range says the rest.
  constexpr size_t kShown = 16;
  for (const DiffRecord::Bytes& b : d.bytes)
    out_ << StrFormat("bytes 0x%04X-0x%04X: ", b.range.first, b.range.last) << HexBytes(b.project, kShown, " ")
         << " -> " << HexBytes(b.other, kShown, " ") << '\n';
}

std::string CliOutput::UnitRecord(const UnitOutcome& o) {
  Json values = Json::object();
  for (const UnitValue& v : o.values) values[v.name] = v.text;
  const std::time_t t = std::chrono::system_clock::to_time_t(o.finished);
  std::tm utc{};
  gmtime_r(&t, &utc);
  const std::string time = StrFormat("%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                                     utc.tm_hour, utc.tm_min, utc.tm_sec);
  const Json record{{"unit", o.unit},
                    {"port", o.port},
                    {"values", values},
                    {"result", o.result},
                    {"message", o.message},
                    {"verified", o.verified},
                    {"passed", o.passed},
                    {"conf", Hex32(o.conf)},
                    {"code", Hex32(o.code)},
                    {"option", Hex32(o.option)},
                    {"seconds", static_cast<double>(static_cast<int64_t>(o.seconds * 1000 + 0.5)) / 1000},
                    {"time", time}};
  return record.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace korvane
