#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "maintenance/CardDevices.h"

namespace maintenance {

// Runs the card format: asks first (naming the card, Cancel the default),
// refuses while a file operation runs, closes the players, writes the script
// and starts the disk tool elevated without blocking the window, then
// reports the result. The tool is brennovale-disk-tool beside the program,
// started through "pkexec --disable-internal-agent" unless we are root;
// BRENNOVALE_DISK_TOOL names another program to run in its place, directly
// (tests give a fake). UI thread only.
class CardFormatter : public QObject {
 public:
  explicit CardFormatter(QWidget* owner);
  ~CardFormatter() override;

  // Whether a file operation runs now (the format must wait for it).
  std::function<bool()> busy;
  // Closes the players before the card is written.
  std::function<void()> close_players;
  // After the result was reported: true when the card was formatted.
  std::function<void(bool formatted)> on_finished;

  // Asks and starts; false when nothing was started (cancelled, refused,
  // the script could not be written, or a format runs already).
  bool Start(const CardDevice& card);
  bool running() const { return process_ != nullptr; }
  // The program's folder: the script goes there (or to $XDG_RUNTIME_DIR
  // when it is not writable) and the tool is looked for there. The running
  // program's by default; tests give folders of their own.
  void set_program_folder(std::filesystem::path folder) { program_folder_ = std::move(folder); }
  // Where the script is written; empty when no folder is usable.
  std::filesystem::path ScriptPath() const;

  // The program and its arguments that run the script of a card of size bytes.
  void ToolCommand(const QString& script, std::uint64_t size, QString* program, QStringList* arguments) const;

 private:
  void Finished(int exit_code, bool crashed);
  void Report(bool ok, const QString& text);

  QPointer<QWidget> owner_;
  std::filesystem::path program_folder_;
  QProcess* process_ = nullptr;
  std::filesystem::path script_;
};

}  // namespace maintenance
