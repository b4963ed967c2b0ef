#include "maintenance/ui/CardFormatter.h"

#include <unistd.h>

#include <QCoreApplication>

#include "maintenance/DiskToolExit.h"
#include "maintenance/FormatScript.h"
#include "maintenance/ScriptFile.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/UiQText.h"

namespace maintenance {
namespace {

constexpr int kQuestionCaption = 106;
const QString kError = QStringLiteral("ERROR");

QString FailureText(int exit_code) {
  switch (exit_code) {
    case kElevationDismissed:
    case kElevationRefused:
      return QStringLiteral("管理者の権限が得られなかったため、SDカードを初期化できませんでした。");
    case kDiskToolDeviceRefused:
      return QStringLiteral("このドライブは初期化できません。");
    case kDiskToolDeviceChanged:
      return QStringLiteral("SDカードが入れ替わったか、取り外されました。初期化していません。");
    case kDiskToolBusy:
      return QStringLiteral("SDカードが使用中のため、初期化できませんでした。");
    default:
      return QStringLiteral("SDカードを初期化できませんでした。(コード %1)").arg(exit_code);
  }
}

}  // namespace

CardFormatter::CardFormatter(QWidget* owner)
    : owner_(owner), program_folder_(QCoreApplication::applicationDirPath().toStdString()) {}

CardFormatter::~CardFormatter() {
  if (process_) {
    // The tool runs as root and must finish its writes; we stop listening.
    process_->disconnect();
    process_->setParent(nullptr);
    process_->waitForFinished(-1);
    delete process_;
  }
}

std::filesystem::path CardFormatter::ScriptPath() const {
  const std::filesystem::path folder = ScriptFolder(program_folder_);
  return folder.empty() ? folder : folder / kScriptFileName;
}

void CardFormatter::ToolCommand(const QString& script, std::uint64_t size, QString* program,
                                QStringList* arguments) const {
  const QString bytes = QString::number(size);
  const QString fake = qEnvironmentVariable("BRENNOVALE_DISK_TOOL");
  if (!fake.isEmpty()) {
    *program = fake;
    *arguments = {script, bytes};
    return;
  }
  const QString tool = QString::fromStdString((program_folder_ / "brennovale-disk-tool").string());
  if (::geteuid() == 0) {
    *program = tool;
    *arguments = {script, bytes};
  } else {
    *program = QStringLiteral("pkexec");
    *arguments = {QStringLiteral("--disable-internal-agent"), tool, script, bytes};
  }
}

bool CardFormatter::Start(const CardDevice& card) {
  if (running()) return false;
  if (busy && busy()) {
    viewer::CMsgBox::Show(owner_, QStringLiteral("ファイル操作の実行中はSDカードを初期化できません。"), kError);
    return false;
  }
  if (card.by_id.empty()) {
    viewer::CMsgBox::Show(owner_, QStringLiteral("このドライブには固定の名前がないため、初期化できません。"), kError);
    return false;
  }
  QString question = QStringLiteral("次のSDカードを初期化します。カードのデータはすべて消去されます。\n\n");
  question += QStringLiteral("デバイス: /dev/%1\n").arg(QString::fromStdString(card.name));
  question += QStringLiteral("モデル: %1\n").arg(QString::fromStdString(card.model.empty() ? "-" : card.model));
  question += QStringLiteral("容量: %1\n").arg(QString::fromStdString(SizeText(card.size)));
  question += QStringLiteral("ラベル: %1\n\n").arg(QString::fromStdString(card.label.empty() ? "-" : card.label));
  question += QStringLiteral("よろしいですか？");
  if (viewer::CMsgBox::Show(owner_, question, viewer::UiQText(kQuestionCaption), viewer::CMsgDlg::kOkCancel) != 1) {
    return false;
  }
  if (close_players) close_players();

  script_ = ScriptPath();
  std::string error = "no writable folder for the script";
  if (script_.empty() || !WriteScriptFile(script_, FormatScript(card.by_id.string()), &error)) {
    Report(false, QStringLiteral("SDカードを初期化できませんでした。\n") + QString::fromStdString(error));
    return false;
  }
  QString program;
  QStringList arguments;
  ToolCommand(QString::fromStdString(script_.string()), card.size, &program, &arguments);
  process_ = new QProcess(this);
  process_->setProcessChannelMode(QProcess::ForwardedChannels);
  connect(process_, &QProcess::finished, this,
          [this](int code, QProcess::ExitStatus status) { Finished(code, status == QProcess::CrashExit); });
  connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
    // No pkexec (or no tool) counts as a refused elevation: the script stays.
    if (e == QProcess::FailedToStart) Finished(kElevationRefused, false);
  });
  process_->start(program, arguments);
  return true;
}

void CardFormatter::Finished(int exit_code, bool crashed) {
  if (!process_) return;
  process_->deleteLater();
  process_ = nullptr;
  const bool elevation_refused = exit_code == kElevationDismissed || exit_code == kElevationRefused;
  // The tool ran: its script is spent. A refused elevation leaves it.
  if (!elevation_refused || crashed) {
    std::error_code ec;
    std::filesystem::remove(script_, ec);
  }
  if (crashed) {
    Report(false, QStringLiteral("SDカードの初期化が途中で止まりました。カードを確認してください。"));
  } else if (exit_code == kDiskToolDone) {
    Report(true, QStringLiteral("完了しました。"));
  } else {
    Report(false, FailureText(exit_code));
  }
}

void CardFormatter::Report(bool ok, const QString& text) {
  viewer::CMsgBox::Show(owner_, text, ok ? QStringLiteral("終了") : kError);
  if (on_finished) on_finished(ok);
}

}  // namespace maintenance
