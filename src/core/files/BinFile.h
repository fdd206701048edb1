#pragma once
// Exchanging the hex window's bytes with a raw binary file: no header, no
// address, offset 0 of the file is offset 0 of the window.
#include <cstdint>
#include <span>
#include <string>

namespace korvane {

class CMemoryAccess;

// Replaces block 0 with the whole file. False (block 0 untouched) when the
// file cannot be opened or read.
bool ImportBinFile(const std::string& path, CMemoryAccess& source);

// Writes bytes (what the hex window holds) to path, replacing the file
// atomically; no bytes write an empty file. False when the file cannot be
// written, the old file then being as it was.
bool ExportBinFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace korvane
