#pragma once
// Helpers of the file tests: a temporary folder laid out like an
// installation, a strict Intel HEX reader and a bitwise CRC to check against.
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "core/text/MessageBox.h"

namespace korvane::testutil {

// Records every message box and answers with answer.
struct RecordingBox : IMessageBox {
  std::vector<std::pair<std::string, unsigned>> shown;
  int answer = IDOK;
  int ShowMessageBox(const std::string& text, const std::string&, unsigned type) override {
    shown.emplace_back(text, type);
    return answer;
  }
};

inline const char* kTestLanguage = R"(<language name="en-us">
	<text key="MessageBoxTitle">Korvane</text>
	<text key="ReadFileError">Cannot read %s</text>
	<text key="WriteFileError">Cannot write %s</text>
	<text key="DecodeFileLengthError">Too long: %s</text>
	<text key="NewNotify">Open or create a project first</text>
	<text key="SaveNotify">Save changes?</text>
	<text key="EXPORT_OK">Exported</text>
	<text key="CONF_CHECKSUM">Conf</text>
	<text key="CODE_CHECKSUM">Code</text>
</language>)";


class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvane-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// CRC-32/MPEG-2 one bit at a time, independent of the table the program uses.
inline uint32_t BitwiseCrc(const uint8_t* data, size_t n) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    crc ^= uint32_t{data[i]} << 24;
    for (int b = 0; b < 8; ++b) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

// A strict reader: records 00, 01 and 04 only, checksums tested, lines
// ending in CR LF, every address once (unless allowRewrites). ok is false on
// the first fault.
struct StrictHex {
  bool ok = true;
  bool ended = false;
  std::string error;
  std::map<uint32_t, uint8_t> bytes;
  int lines = 0;
};

inline StrictHex ParseStrictHex(const std::string& text, bool allowRewrites = false) {
  StrictHex r;
  uint32_t upper = 0;
  size_t pos = 0;
  auto fail = [&](const std::string& why) {
    r.ok = false;
    r.error = why + " at line " + std::to_string(r.lines);
    return r;
  };
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) return fail("no CR LF");
    const std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    ++r.lines;
    if (r.ended) return fail("data after end record");
    if (line.size() < 11 || line[0] != ':' || line.size() % 2 == 0) return fail("bad line");
    std::vector<uint8_t> b;
    auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
    for (size_t i = 1; i < line.size(); i += 2) {
      if (!std::isxdigit(static_cast<unsigned char>(line[i])) || !std::isxdigit(static_cast<unsigned char>(line[i + 1])) ||
          std::islower(static_cast<unsigned char>(line[i])) || std::islower(static_cast<unsigned char>(line[i + 1])))
        return fail("not upper-case hex");
      b.push_back(static_cast<uint8_t>(digit(line[i]) * 16 + digit(line[i + 1])));
    }
    uint8_t sum = 0;
    for (uint8_t x : b) sum = static_cast<uint8_t>(sum + x);
    if (sum != 0) return fail("checksum");
    if (b[0] + 5u != b.size()) return fail("length");
    const uint32_t offset = uint32_t{b[1]} << 8 | b[2];
    switch (b[3]) {
      case 0:
        for (uint32_t i = 0; i < b[0]; ++i) {
          if (offset + i > 0xFFFF) return fail("record crosses 64 KiB");
          const uint32_t a = upper + offset + i;
          if (!allowRewrites && r.bytes.count(a)) return fail("address written twice");
          r.bytes[a] = b[4 + i];
        }
        break;
      case 1: r.ended = true; break;
      case 4: upper = (uint32_t{b[4]} << 24) | (uint32_t{b[5]} << 16); break;
      default: return fail("unexpected type");
    }
  }
  if (!r.ended) return fail("no end record");
  return r;
}

// The bytes srec_cat makes of a HEX file (file offset = address); empty when
// srec_cat is missing or fails.
inline std::string ReadWithSrecCat(const std::string& hexPath, const std::string& scratchDir) {
  const std::string bin = scratchDir + "/srec.bin";
  const std::string cmd = "srec_cat " + hexPath + " -intel -o " + bin + " -binary 2>" + scratchDir + "/srec.err";
  if (std::system(cmd.c_str()) != 0) return {};
  return ReadText(bin);
}

// address -> byte as python3-intelhex reads the file; ok false when it cannot run.
inline bool ReadWithIntelHex(const std::string& hexPath, const std::string& scratchDir, std::map<uint32_t, uint8_t>& out) {
  const std::string dump = scratchDir + "/intelhex.txt", script = scratchDir + "/read.py";
  WriteText(script, "import sys\nfrom intelhex import IntelHex\nih = IntelHex(sys.argv[1])\n"
                    "open(sys.argv[2], 'w').write('\\n'.join('%d %d' % (a, ih[a]) for a in ih.addresses()))\n");
  if (std::system(("/usr/bin/python3 " + script + " " + hexPath + " " + dump + " 2>/dev/null").c_str()) != 0) return false;
  std::istringstream in(ReadText(dump));
  uint32_t a, v;
  while (in >> a >> v) out[a] = static_cast<uint8_t>(v);
  return true;
}

// A small chip laid out the way the installed data is.
inline const char* kTestChipXml = R"(<?xml version="1.0"?>
<config name="TCHIP" caption="Test chip" descript="chip for tests" support="PB1, ADP2;HUB3">
	<PB1 chipType="0x1234" funcType="0x21" fill="0xFF" codeStart="0" codeEnd="0x7FFF" confStart="0xEC00" confEnd="0xEDFF" optionStart="0x10000" optionEnd="0x100FF" defaultValues="20(4:7)=A,21=5A">
		<item name="general" caption="General" addr="0xEC00" size="1">
			<item name="volt" caption="Voltage" edit="1" value="5" addr="0xEC00" size="1"/>
			<item name="amps" caption="Current" edit="1" addr="0xEC02" size="2"/>
		</item>
	</PB1>
	<ADP2 chipType="0x1234" funcType="0x22" fill="0x00" confStart="0xEC00" confEnd="0xEDFF" optionStart="0x10000" optionEnd="0x100FF">
		<item name="top" caption="Top" addr="0xEC00" size="1">
			<item name="level" edit="1" value="9" addr="0xEC10" size="1"/>
		</item>
	</ADP2>
</config>
)";

// 32 bytes of code at 0, two option words at 0x10000.
inline const char* kTestChipHex =
    ":1000000000112233445566778899AABBCCDDEEFFF8\r\n"
    ":10001000FFEEDDCCBBAA99887766554433221100E8\r\n"
    ":020000040001F9\r\n"
    ":080000005A3C0000010200005F\r\n"
    ":00000001FF\r\n";

inline void InstallTestChip(const std::string& baseDir) {
  WriteText(baseDir + "/xml/orvik/chips/TCHIP.xml", kTestChipXml);
  WriteText(baseDir + "/xml/orvik/chips/TCHIP.hex", kTestChipHex);
  WriteText(baseDir + "/xml/orvik/device.xml", R"(<?xml version="1.0"?>
<config name="catalogue" caption="Devices" descript="all devices">
	<device name="bank" caption="Power Bank" descript="banks">
		<item name="PB1" caption="Bank one" descript="first bank"/>
	</device>
	<device name="adapter" caption="Adapter">
		<item name="ADP2" caption="Adapter two"/>
		<item name="ADP3" caption="Adapter three"/>
	</device>
	<device name="hub" caption="Hub">
		<item name="HUB3" caption="Hub three"/>
	</device>
</config>
)");
}

// A temporary installation with the test chip, a context that records its
// message boxes, and a description to load into.
struct Installation {
  TempDir dir;
  CoreContext ctx;
  RecordingBox box;
  ChipDescription desc{ctx};
  Installation() {
    InstallTestChip(dir.Path());
    ctx.baseDir = dir.Path() + "/";
    ctx.messageBox = &box;
    ctx.language.LoadFromXml(kTestLanguage);
  }
  std::string Chips() const { return dir.Path() + "/xml/orvik/chips/"; }
};

}  // namespace korvane::testutil
