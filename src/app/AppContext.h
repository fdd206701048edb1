#pragma once
// The records of one interface pass of the application, around the core's.
#include "app/AppSession.h"
#include "app/DialogChoices.h"
#include "core/model/CoreContext.h"
#include "link/LinkContext.h"

namespace korvane {

class AppSettings;
class CDuiHandlerMain;
class CPropertyGridCtrl;
class CKorvaneApp;
class DuiSystem;

struct AppContext {
  AppContext(CKorvaneApp& application, AppSettings& store) : app(application), settings(store) {}

  CoreContext core;
  AppSession session{core};        // the project; it outlives the windows of the pass
  CKorvaneApp& app;
  AppSettings& settings;
  DuiSystem* dui = nullptr;        // the framework of this pass
  CPropertyGridCtrl* grid = nullptr;  // the property grid view; its model is core.grid
  CDuiHandlerMain* main = nullptr; // the main window's handler, once it exists
  LinkContext link{core};          // the serial port and the device operations
  DialogChoices choices;           // what the selection dialogs open with
};

}  // namespace korvane
