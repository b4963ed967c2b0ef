#include "viewer/skin/PickFolder.h"

#include <QFileDialog>
#include <QFileInfo>

#include "viewer/settings/FolderIni.h"
#include "viewer/skin/UiQText.h"

namespace viewer {

QString RunFolderDialog(QWidget* owner, const QString& title, const QString& initial_folder) {
  return QFileDialog::getExistingDirectory(owner, title, initial_folder, QFileDialog::ShowDirsOnly);
}

std::string PickFolder(QWidget* owner, std::string_view section, std::string_view key, const QString& prompt,
                       const FolderDialogRunner& runner, const ErrorReporter& report) {
  std::string initial = ReadFolderIni(section, key);
  if (initial.empty()) initial = StartupFolder().string();
  const QString chosen = runner(owner, prompt, QString::fromStdString(initial));
  if (chosen.isEmpty()) return {};
  if (!QFileInfo(chosen).isDir()) {
    // The chosen item is not a folder of the file system.
    if (report) report(owner, UiQText(98));
    return {};
  }
  return chosen.toStdString();
}

}  // namespace viewer
