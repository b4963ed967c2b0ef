#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "library/RecordingEntry.h"
#include "platform/MessageSink.h"
#include "viewer/commands/FileDialogs.h"
#include "viewer/commands/FileJob.h"

namespace viewer {

// The one background thread of the file operations (delete, join, CSV
// export). At most one operation runs; busy() is set from Start until the
// operation returns, and clearing it (RequestStop) asks the operation to stop
// at its next step and answers every request to the UI thread, waiting or
// yet to come, with Cancel at once. The UI thread therefore never has to
// block on the worker: it waits for the end message in its event loop.
//
// The worker never touches a widget: whatever must run on the UI thread is
// handed to run_on_ui (queued, run later by the UI thread's event loop) and
// waited for on the worker thread.
//
// Threads: Start, RequestStop, Join and the accessors run on the UI thread;
// the job and the context's calls on the worker thread.
class FileWorker {
 public:
  // Hands an action to the UI thread's event loop (queued, never run inline).
  using UiDispatch = std::function<void(std::function<void()> action)>;

  FileWorker(platform::MessageSink& window, UiDispatch run_on_ui);
  // Stops the operation and waits for the thread: the owner waits for the
  // end message first, so this does not block in practice.
  ~FileWorker();
  FileWorker(const FileWorker&) = delete;
  FileWorker& operator=(const FileWorker&) = delete;

  // Runs job on the worker thread with a copy of entries and the dialogs
  // (called on the UI thread when the job asks). False, with nothing
  // started, while an operation is running or its thread not yet joined.
  bool Start(FileJob job, std::vector<library::RecordingEntry> entries, FileDialogs dialogs);
  // Clears busy: the job stops at its next step; requests are answered with
  // Cancel.
  void RequestStop();
  // Joins the thread once it has finished (after its end message); false,
  // without waiting, while it still runs.
  bool JoinIfFinished();

  bool busy() const { return busy_.load(); }
  // A thread was started and not yet joined.
  bool running() const { return thread_.joinable(); }
  // The job has returned (its end message is posted or about to be).
  bool finished() const { return finished_.load(); }
  // What the last job returned; read after its end message.
  const FileJobOutcome& outcome() const { return outcome_; }

  // Runs action on the UI thread and waits until it returns. False when
  // busy was cleared first (action is then never run, or its result is
  // dropped): action must own what it uses, as the caller may have returned
  // by the time it runs. Worker thread.
  bool RunOnUi(std::function<void()> action);
  // The same, returning what ask returned; none after a stop.
  template <typename T>
  std::optional<T> AskUi(std::function<T()> ask) {
    auto slot = std::make_shared<std::optional<T>>();
    if (!RunOnUi([slot, ask = std::move(ask)] { *slot = ask(); })) return std::nullopt;
    return std::move(*slot);
  }

  platform::MessageSink& window() { return window_; }
  const FileDialogs& dialogs() const { return dialogs_; }
  const std::vector<library::RecordingEntry>& entries() const { return entries_; }

 private:
  struct Request {
    bool done = false;       // guarded by mutex_
    bool abandoned = false;  // guarded by mutex_
  };
  void Run(FileJob job);

  platform::MessageSink& window_;
  UiDispatch run_on_ui_;
  std::thread thread_;  // UI thread
  std::atomic<bool> busy_{false};
  std::atomic<bool> finished_{false};
  std::mutex mutex_;
  std::condition_variable answered_;
  // Written by the UI thread before the thread starts, read by the job.
  std::vector<library::RecordingEntry> entries_;
  FileDialogs dialogs_;
  // Written by the worker before its end message, read by the UI thread after.
  FileJobOutcome outcome_;
};

}  // namespace viewer
