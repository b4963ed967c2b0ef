#include "library/ui/CSourceOpenDlg.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>

#include "library/RecordingNames.h"
#include "library/SourceSetting.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CSkinCheckButton.h"
#include "viewer/skin/UiQText.h"
#include "viewer/settings/FolderIni.h"

namespace library {
namespace {

constexpr int kOptionImage = 327;

QString Setting(const char* key) {
  return QString::fromStdString(viewer::ReadFolderIni(viewer::kSectionSource, key));
}
QRect Box(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }

QString RunFileDialog(QWidget* owner, const QString& initial_folder) {
  // Both cases of the extension: file dialogs match it case-sensitively here.
  return QFileDialog::getOpenFileName(owner, QString(), initial_folder + "/*.mov",
                                      "Movie Files(*.mov *.MOV);;All Files(*)");
}

}  // namespace

CSourceOpenDlg::CSourceOpenDlg(QWidget* parent) : CSkinDialog(parent), file_runner_(RunFileDialog) {
  setWindowTitle(viewer::UiQText(133));
  setFixedSize(540, 250);
  const struct {
    SourceKind kind;
    int id, text;
    QRect box;
  } options[] = {{SourceKind::kCard, kCardOption, 134, Box(30, 50, 150, 76)},
                 {SourceKind::kFolder, kFolderOption, 132, Box(30, 100, 150, 126)},
                 {SourceKind::kFile, kFileOption, 131, Box(30, 150, 150, 176)}};
  for (const auto& o : options) {
    auto* option = new viewer::CSkinCheckButton(this, viewer::UiQText(o.text), kOptionImage);
    option->setObjectName(QString::number(o.id));
    option->setCheckable(false);
    option->setGeometry(o.box);
    connect(option, &QAbstractButton::clicked, this, [this, kind = o.kind] { Choose(kind); });
    options_[static_cast<std::size_t>(o.kind) - 1] = option;
  }
  drives_ = new QComboBox(this);
  drives_->setObjectName(QString::number(kDriveCombo));
  drives_->setGeometry(Box(150, 50, 450, 76));
  folder_ = new QLineEdit(this);
  folder_->setObjectName(QString::number(kFolderField));
  folder_->setGeometry(Box(150, 100, 450, 126));
  file_ = new QLineEdit(this);
  file_->setObjectName(QString::number(kFileField));
  file_->setGeometry(Box(150, 150, 450, 176));
  auto* folder_browse = new QPushButton("...", this);
  folder_browse->setObjectName(QString::number(kFolderBrowse));
  folder_browse->setGeometry(Box(470, 100, 510, 126));
  auto* file_browse = new QPushButton("...", this);
  file_browse->setObjectName(QString::number(kFileBrowse));
  file_browse->setGeometry(Box(470, 150, 510, 176));
  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("1");
  ok_->setGeometry(Box(410, 200, 510, 226));
  connect(folder_browse, &QPushButton::clicked, this, [this] { BrowseFolder(); });
  connect(file_browse, &QPushButton::clicked, this, [this] { BrowseFile(); });
  connect(ok_, &QPushButton::clicked, this, [this] { accept(); });
  connect(folder_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  connect(file_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });

  for (const auto& volume : platform::Fs().RemovableVolumes()) drives_->addItem(QString::fromStdString(volume.string()));
  drives_->setCurrentIndex(drives_->count() - 1);
  connect(drives_, &QComboBox::activated, this, [this] { Choose(SourceKind::kCard); });
  folder_->setText(Setting(viewer::kKeyFolder));
  file_->setText(Setting(viewer::kKeyFile));
  Choose(SourceKindOfSelect(viewer::ReadFolderIni(viewer::kSectionSource, viewer::kKeySelect)));
  // The first focus: the value of the chosen source, ready for typing.
  QWidget* const values[] = {drives_, folder_, file_};
  values[static_cast<std::size_t>(kind_) - 1]->setFocus();
  if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}

viewer::CSkinCheckButton* CSourceOpenDlg::option(SourceKind kind) const {
  return options_[static_cast<std::size_t>(kind) - 1];
}

void CSourceOpenDlg::Choose(SourceKind kind) {
  kind_ = kind;
  for (int k = 1; k <= 3; ++k) {
    options_[static_cast<std::size_t>(k) - 1]->set_forced_pressed(static_cast<int>(kind) == k);
  }
  UpdateOk();
}

void CSourceOpenDlg::UpdateOk() {
  switch (kind_) {
    case SourceKind::kCard: ok_->setEnabled(drives_->currentIndex() >= 0); break;
    case SourceKind::kFolder: ok_->setEnabled(!folder_->text().isEmpty()); break;
    case SourceKind::kFile: ok_->setEnabled(!file_->text().isEmpty()); break;
    case SourceKind::kNone: ok_->setEnabled(false); break;
  }
}

void CSourceOpenDlg::BrowseFolder() {
  const std::string folder =
      viewer::PickFolder(this, viewer::kSectionSource, viewer::kKeyFolder, viewer::UiQText(104), folder_runner_,
                         [](QWidget* owner, const QString& text) { viewer::CMsgBox::Show(owner, text, "ERROR"); });
  if (folder.empty()) return;
  folder_->setText(QString::fromStdString(folder));
  Choose(SourceKind::kFolder);
}

void CSourceOpenDlg::BrowseFile() {
  const QString chosen = file_runner_(this, QCoreApplication::applicationDirPath());
  if (chosen.isEmpty()) return;
  if (!IsRecordingName(std::filesystem::path(chosen.toStdString()).filename().string())) {
    viewer::CMsgBox::Show(this, viewer::UiQText(99), "ERROR");
    return;
  }
  file_->setText(chosen);
  Choose(SourceKind::kFile);
}

void CSourceOpenDlg::accept() {
  const QString values[] = {drives_->currentText(), folder_->text(), file_->text()};
  if (kind_ != SourceKind::kNone) WriteSourceSetting(kind_, values[static_cast<std::size_t>(kind_) - 1].toStdString());
  CSkinDialog::accept();
}

}  // namespace library
