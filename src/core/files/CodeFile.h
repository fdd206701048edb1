#pragma once
// Where the code file of the loaded project or chip lies, and loading it into
// the chip image.
#include <string>

namespace korvane {

class ChipDescription;
struct CoreContext;

// Largest code file read, in bytes: the size of the chip image.
constexpr unsigned kMaxCodeFileSize = 0x500000;

// The code file of the loaded description: the project's own file (its path
// with ".hex" for the extension) when it exists, else the one installed beside
// the chip description. Empty when no description with an item tree is loaded.
std::string GetCodeFilePath(const ChipDescription& desc);

// The code file that belongs beside a project file: same folder and base name, ".hex".
std::string CodeFileBeside(const std::string& projectPath);

// Copies the current code file beside a project saved at projectPath, never
// replacing a file already there. True when the file beside it exists afterwards.
bool CopyCodeFileBeside(const ChipDescription& desc, const std::string& projectPath);

// Reads the HEX file at path into context.image (codeLength, optionLength),
// then applies the fixed patches and the option complements. With notify set,
// failures are shown ("ReadFileError", "DecodeFileLengthError").
bool LoadCodeFile(CoreContext& context, const std::string& path, bool notify);

}  // namespace korvane
