#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <functional>

#include "library/SourceScanner.h"
#include "viewer/skin/CSkinDialog.h"
#include "viewer/skin/PickFolder.h"

namespace viewer {
class CSkinCheckButton;
}

namespace library {

// Where recordings come from: a card, a folder or one file. OK stores the
// choice in the settings ("SOURCE").
class CSourceOpenDlg : public viewer::CSkinDialog {
 public:
  enum Control { kCardOption = 39000, kFolderOption = 39001, kFileOption = 39002, kFolderBrowse = 39003,
                 kFileBrowse = 39004, kDriveCombo = 39100, kFolderField = 39200, kFileField = 39201 };
  // Shows an open-file dialog; returns the chosen path or an empty string.
  using FileDialogRunner = std::function<QString(QWidget* owner, const QString& initial_folder)>;

  explicit CSourceOpenDlg(QWidget* parent);
  void Choose(SourceKind kind);
  SourceKind kind() const { return kind_; }
  void BrowseFolder();
  void BrowseFile();
  void accept() override;

  void set_folder_runner(viewer::FolderDialogRunner runner) { folder_runner_ = std::move(runner); }
  void set_file_runner(FileDialogRunner runner) { file_runner_ = std::move(runner); }
  QComboBox* drives() const { return drives_; }
  QLineEdit* folder_field() const { return folder_; }
  QLineEdit* file_field() const { return file_; }
  QPushButton* ok() const { return ok_; }
  viewer::CSkinCheckButton* option(SourceKind kind) const;

 private:
  void UpdateOk();
  SourceKind kind_ = SourceKind::kNone;
  std::array<viewer::CSkinCheckButton*, 3> options_{};
  QComboBox* drives_;
  QLineEdit* folder_;
  QLineEdit* file_;
  QPushButton* ok_;
  viewer::FolderDialogRunner folder_runner_ = viewer::RunFolderDialog;
  FileDialogRunner file_runner_;
};

}  // namespace library
