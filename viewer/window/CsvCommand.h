#pragma once

namespace viewer {

class CQuorbexDlg;

// The list CSV (38012): playback pauses, then the worker asks for the folder
// ("FOLDERPATH"/"CSV_FOLDER", written once the file is in place), asks before
// replacing a file of the same name, closes the players so that each line
// can read its recording's files, and writes the file of the list's rows
// with a progress step per line. The recording comes back afterwards at the
// frame it showed, paused. A stop (the user's "先頭", the program's end)
// leaves no file. Installs itself in the window's command hook. UI thread.
class CsvCommand {
 public:
  explicit CsvCommand(CQuorbexDlg& window);
  CsvCommand(const CsvCommand&) = delete;
  CsvCommand& operator=(const CsvCommand&) = delete;

  void Run();

 private:
  CQuorbexDlg& window_;
};

}  // namespace viewer
