#pragma once
// The records the whole program shares, held in one object that each
// interface pass (or test) creates and hands by reference to the parts that
// use them, instead of process-wide globals.
#include <functional>
#include <string>
#include <vector>

#include "core/model/AreaImage.h"
#include "core/model/AreaLayout.h"
#include "core/text/LanguageTable.h"
#include "core/text/LogFile.h"
#include "core/text/MessageBox.h"

namespace korvane {

struct ConfigItem;
class GridModel;

struct CoreContext {
  AreaLayout layout;  // written by every successful load
  ChipKind chipKind;  // written by every successful load
  AreaImage image;    // rebuilt before every checksum, export, download and burn

  LanguageTable language;
  IMessageBox* messageBox = nullptr;  // the front end's; null shows nothing
  LogFile* log = nullptr;             // null writes nothing
  std::string baseDir;                // folder holding xml/orvik/..., ending in '/'

  ConfigItem* changingItem = nullptr;  // the item whose change a trigger is propagating
  GridModel* grid = nullptr;           // the property grid's rows, when a grid exists
  std::vector<uint8_t> scratch;        // scratch image of the row descriptions (made on first use)

  // Brings defaults and bound counts of a freshly loaded tree up to date;
  // installed by the item behaviours. Without it a load leaves values as parsed.
  std::function<void(ConfigItem& root)> refreshTree;

  std::string LookupText(const std::string& key) const { return language.LookupText(key); }

  // Shows text with the looked-up "MessageBoxTitle" as caption; 0 when no
  // front end shows message boxes.
  int ShowMessage(const std::string& text, unsigned type) const {
    return messageBox ? messageBox->ShowMessageBox(text, LookupText("MessageBoxTitle"), type) : 0;
  }

  void WriteLog(int level, const std::string& message) const {
    if (log) log->WriteLog(level, message);
  }

  std::string ChipsDir() const { return baseDir + "xml/orvik/chips/"; }
  std::string CatalogueFile() const { return baseDir + "xml/orvik/device.xml"; }
};

}  // namespace korvane
