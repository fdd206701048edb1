// korvane: the desktop application.
#include <QApplication>

#include "app/CKorvaneApp.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setStyle("Fusion");
  QCoreApplication::setOrganizationName("Korvane");
  QCoreApplication::setApplicationName("Korvane");
  korvane::CKorvaneApp app;
  return app.RunApplication();
}
