#pragma once

#include <functional>

namespace library {
class CSourceOpenDlg;
}

namespace viewer {

class CQuorbexDlg;

// The source command (38009): pauses and stops the players, ends zoom,
// selects the list's first row, then asks for a new source in the source
// dialog. A source that does not exist changes nothing; a single file whose
// name is not the recorder's is refused with UI text 99; anything else is
// loaded into the list. A refused answer leaves "SOURCE" as it was, so the
// next start still offers the last source that worked. Installs itself in
// the window's command hook and passes other commands on. UI thread only.
class SourceCommand {
 public:
  // Runs the dialog modally and returns its result (QDialog::Accepted on OK).
  using DialogRunner = std::function<int(library::CSourceOpenDlg& dialog)>;

  explicit SourceCommand(CQuorbexDlg& window);
  SourceCommand(const SourceCommand&) = delete;
  SourceCommand& operator=(const SourceCommand&) = delete;

  void set_dialog_runner(DialogRunner runner) { runner_ = std::move(runner); }
  void Run();

 private:
  CQuorbexDlg& window_;
  DialogRunner runner_;
};

}  // namespace viewer
