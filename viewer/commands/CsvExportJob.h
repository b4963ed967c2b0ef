#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "library/RecordingEntry.h"
#include "viewer/commands/CsvEncoder.h"

namespace viewer {

// What the CSV command asks of the window while it runs on the background
// worker. Every call may block until the UI thread has answered; a stopped
// worker answers the dialogs with "cancel".
class CsvJobHost {
 public:
  virtual ~CsvJobHost() = default;
  // The folder picker on "FOLDERPATH"/"CSV_FOLDER" with UI text 103; empty
  // when cancelled.
  virtual std::string PickFolder() = 0;
  // A question with OK and Cancel under caption UI text 106; true for OK.
  virtual bool Ask(int text) = 0;
  // An error message box (caption "ERROR"): UI text text, and the reason
  // on a line of its own when detail is not empty.
  virtual void ShowError(int text, const std::string& detail) = 0;
  // The export is about to read the recordings' files: playback stops, the
  // position is kept for the resume and the players let the files go.
  virtual void ReleaseRecording() = 0;
  virtual void Progress(std::size_t done, std::size_t total) = 0;
  virtual bool StopRequested() = 0;
  // The file is in place: folder is to be remembered under "CSV_FOLDER" and
  // "完了しました。" is to be shown when the worker has ended.
  virtual void Completed(const std::string& folder) = 0;
};

enum class CsvJobOutcome {
  kCancelled,     // no folder, or the user kept an existing file; nothing touched
  kNoRecordings,  // the list was empty (UI text 101 shown); CSV is unavailable
  kWritten,       // the file is in place
  kFailed,        // the file could not be written (UI text 96 shown); nothing in place
  kStopped,       // the worker was stopped; nothing in place
};

// The CSV command's sequence on the worker: folder, recordings, the question
// when the file exists, release of the playing recording, the export with
// progress, and the messages. Only kCancelled and kNoRecordings leave the
// playing recording untouched.
CsvJobOutcome RunCsvExportJob(CsvJobHost& host, const std::vector<library::RecordingEntry>& entries,
                              CsvEncoding encoding);

}  // namespace viewer
