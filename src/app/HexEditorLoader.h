#pragma once
// Finds the hex editor component: the library's export CreateHexEditor.
#include <string>

#include "app/CKorvaneApp.h"

namespace korvane {

// A factory over the library at path, or an empty one (and why) when the
// library or its export is missing.
HexEditorFactory LoadHexEditorLibrary(const std::string& path, std::string* why);

}  // namespace korvane
