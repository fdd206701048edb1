#include "dui/DuiFileDialog.h"

#include <filesystem>

#include <QFileDialog>
#include <QStringList>

namespace korvane {

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString text = parts[i].trimmed();
    QString pattern = parts[i + 1].trimmed();
    // An empty field ends the list, as "||" does at its end.
    if (text.isEmpty() || pattern.isEmpty()) break;
    pattern.replace(';', ' ');
    if (text.endsWith("(" + pattern + ")")) filters << text;
    else filters << QString("%1 (%2)").arg(text, pattern);
  }
  return filters.join(";;");
}

bool RunFileDialog(bool save, const FileDialogRequest& request, QWidget* parent, std::string* path) {
  QFileDialog dialog(parent, QString(), QString::fromStdString(request.initialName), QtFileFilter(request.filter));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  if (path) *path = dialog.selectedFiles().first().toStdString();
  return true;
}

bool ChooseSavePath(FileDialogRequest request, const SaveDialogRunner& run, const ReplaceQuestion& replace,
                    std::string* path) {
  std::string chosen;
  for (;;) {
    if (!run(request, &chosen) || chosen.empty()) return false;
    std::error_code ec;
    if (!request.overwritePrompt || !std::filesystem::exists(chosen, ec) || replace(chosen)) break;
    request.initialName = chosen;
  }
  if (path) *path = chosen;
  return true;
}

}  // namespace korvane
