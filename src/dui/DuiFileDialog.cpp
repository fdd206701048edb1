#include "dui/DuiFileDialog.h"

#include <QFileDialog>
#include <QStringList>

#include "dui/CDuiDialog.h"

namespace korvane {

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString text = parts[i].trimmed();
    QString pattern = parts[i + 1].trimmed();
    if (text.isEmpty() && pattern.isEmpty()) break;
    pattern.replace(';', ' ');
    if (text.endsWith("(" + pattern + ")")) filters << text;
    else filters << QString("%1 (%2)").arg(text, pattern);
  }
  return filters.join(";;");
}

bool RunFileDialog(const FileDialogRequest& request, std::string* path) {
  QFileDialog dialog(request.parent, QString(), QString::fromStdString(request.initialName),
                     QtFileFilter(request.filter));
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  if (path) *path = dialog.selectedFiles().first().toStdString();
  return true;
}

}  // namespace korvane
