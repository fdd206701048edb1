#pragma once
// What the file tests check the program's output against: a strict Intel
// HEX reader, two outside readers and a bitwise CRC.
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

#include "support/TempDir.h"

namespace korvane::test {

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

}  // namespace korvane::test
