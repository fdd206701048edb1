#pragma once
// The port settings dialog "dlg_select_com": the port (any device path may be
// typed), baud rate, data bits, parity and stop bits. OK opens the port with
// them; only when that succeeds are they stored, otherwise the dialog stays
// open and the link stays as it was.
#include <string>

#include "dui/CDuiHandler.h"
#include "link/PortSetup.h"

namespace korvane {

struct AppContext;

class CDuiHandlerComSelect : public CDuiHandler {
 public:
  explicit CDuiHandlerComSelect(AppContext& context);

  void OnInit() override;
  int OnEndDialog(int code) override;
  int OnDuiMessage(int uID, const std::string& name, int msg, WPARAM wParam, LPARAM lParam) override;

  const PortSettingsText& Texts() const { return texts_; }

 private:
  std::string ComboValue(const std::string& name) const;
  void SetComboValue(const std::string& name, const std::string& value);

  AppContext& ctx_;
  PortSettingsText texts_;
};

// The stored port settings; the port of this run stands in for the stored
// one when the program was started with one (the emulator).
PortSettingsText StoredPortSettings(const AppContext& context);

}  // namespace korvane
