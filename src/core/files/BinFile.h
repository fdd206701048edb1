#pragma once
// Exchanging the hex window's bytes (block 0 of its data source) with a raw
// binary file: no header, no address, offset 0 of the file is offset 0 of the block.
#include <string>

namespace korvane {

class CMemoryAccess;

// Replaces block 0 with the whole file. False (block 0 untouched) when the
// file cannot be opened or read.
bool ImportBinFile(const std::string& path, CMemoryAccess& source);

// Writes block 0's bytes to path, replacing the file atomically; an empty or
// missing block 0 writes an empty file. False when the file cannot be
// written, the old file then being as it was.
bool ExportBinFile(const std::string& path, CMemoryAccess& source);

}  // namespace korvane
