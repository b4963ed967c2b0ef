#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

class QWidget;

namespace viewer {

// Shows a folder dialog starting in initial_folder; returns the chosen folder
// or an empty string. Tests replace it so that nothing blocks.
using FolderDialogRunner = std::function<QString(QWidget* owner, const QString& title, const QString& initial_folder)>;
// Shows an error text (a skinned message box in the viewer).
using ErrorReporter = std::function<void(QWidget* owner, const QString& text)>;

QString RunFolderDialog(QWidget* owner, const QString& title, const QString& initial_folder);

// The folder picker that remembers its folder under (section, key): it starts
// in the stored folder, or the start-up folder when none is stored, and
// returns the chosen folder or an empty string. It never writes the key; the
// caller does once it has used the folder.
std::string PickFolder(QWidget* owner, std::string_view section, std::string_view key, const QString& prompt,
                       const FolderDialogRunner& runner = RunFolderDialog, const ErrorReporter& report = {});

}  // namespace viewer
