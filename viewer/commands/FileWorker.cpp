#include "viewer/commands/FileWorker.h"

#include <utility>

#include "viewer/commands/FileJobContext.h"

namespace viewer {

FileWorker::FileWorker(platform::MessageSink& window, UiDispatch run_on_ui)
    : window_(window), run_on_ui_(std::move(run_on_ui)) {}

FileWorker::~FileWorker() {
  RequestStop();
  if (thread_.joinable()) thread_.join();
}

bool FileWorker::Start(FileJob job, std::vector<library::RecordingEntry> entries, FileDialogs dialogs) {
  if (busy_.load() || thread_.joinable()) return false;
  entries_ = std::move(entries);
  dialogs_ = std::move(dialogs);
  outcome_ = {};
  finished_ = false;
  busy_ = true;
  thread_ = std::thread([this, job = std::move(job)]() mutable { Run(std::move(job)); });
  return true;
}

void FileWorker::Run(FileJob job) {
  FileJobContext context(*this);
  outcome_ = job(context);
  {
    const std::lock_guard lock(mutex_);
    busy_ = false;
  }
  answered_.notify_all();
  finished_ = true;
  if (outcome_.list_changed) {
    window_.Post(kMessageFileListChanged, 0, 0);  // its handler posts the end
  } else {
    window_.Post(kMessageFileWorkEnd, 0, outcome_.started ? 1 : 0);
  }
}

void FileWorker::RequestStop() {
  {
    const std::lock_guard lock(mutex_);
    busy_ = false;
  }
  answered_.notify_all();
}

bool FileWorker::JoinIfFinished() {
  if (!thread_.joinable()) return true;
  if (!finished_.load()) return false;
  thread_.join();  // the job has returned; only the end post is left
  return true;
}

bool FileWorker::RunOnUi(std::function<void()> action) {
  auto request = std::make_shared<Request>();
  {
    const std::lock_guard lock(mutex_);
    if (!busy_) return false;
  }
  run_on_ui_([this, request, action = std::move(action)] {
    {
      const std::lock_guard lock(mutex_);
      if (request->abandoned) return;
    }
    action();
    {
      const std::lock_guard lock(mutex_);
      request->done = true;
    }
    answered_.notify_all();
  });
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [&] { return request->done || !busy_; });
  if (request->done) return true;
  request->abandoned = true;
  return false;
}

}  // namespace viewer
