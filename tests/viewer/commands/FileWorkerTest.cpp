#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "platform/RecordingSink.h"
#include "viewer/commands/FileJobContext.h"
#include "viewer/commands/FileWorker.h"

namespace viewer {
namespace {

using namespace std::chrono_literals;

// The test thread plays the UI thread: actions handed to it wait in a
// queue until the test runs them.
class UiQueue {
 public:
  FileWorker::UiDispatch Dispatch() {
    return [this](std::function<void()> action) {
      const std::lock_guard lock(lock_);
      queue_.push_back(std::move(action));
    };
  }
  // Runs what is queued until done holds or the time is up.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::function<void()> action;
      {
        const std::lock_guard lock(lock_);
        if (!queue_.empty()) {
          action = std::move(queue_.front());
          queue_.pop_front();
        }
      }
      if (action) {
        action();
      } else {
        std::this_thread::sleep_for(1ms);
      }
    }
    return true;
  }
  std::size_t waiting() {
    const std::lock_guard lock(lock_);
    return queue_.size();
  }

 private:
  std::mutex lock_;
  std::deque<std::function<void()>> queue_;
};

class FileWorking : public ::testing::Test {
 protected:
  FileDialogs Dialogs() {
    FileDialogs d;
    d.pick_folder = [this](std::string_view key, int) {
      asked_keys_.push_back(std::string(key));
      return folder_answer_;
    };
    d.question = [this](const std::string& text, const std::string&) {
      questions_.push_back(text);
      return question_answer_;
    };
    d.message = [this](const std::string& text, const std::string&) { messages_.push_back(text); };
    return d;
  }
  bool Ended() { return !sink_.MessagesOf(kMessageFileWorkEnd).empty() || !sink_.MessagesOf(kMessageFileListChanged).empty(); }

  platform::RecordingSink sink_;
  UiQueue ui_;
  FileWorker worker_{sink_, ui_.Dispatch()};
  std::vector<std::string> asked_keys_, questions_, messages_;
  std::string folder_answer_ = "/tmp/out";
  bool question_answer_ = true;
};

TEST_F(FileWorking, DialogsRunOnTheUiThreadAndTheirAnswersReachTheJob) {
  std::string folder;
  bool answer = false;
  const std::thread::id ui = std::this_thread::get_id();
  std::atomic<bool> job_on_ui{true};
  ASSERT_TRUE(worker_.Start(
      [&](FileJobContext& c) {
        job_on_ui = std::this_thread::get_id() == ui;
        folder = c.ask_folder("CONNECT_FOLDER");
        answer = c.question("replace?", "確認");
        c.progress(1, 4);
        FileJobOutcome o;
        o.started = true;
        return o;
      },
      {}, Dialogs()));
  EXPECT_FALSE(worker_.Start([](FileJobContext&) { return FileJobOutcome{}; }, {}, Dialogs()))
      << "one operation at a time";
  ASSERT_TRUE(ui_.RunUntil([&] { return Ended(); }));
  EXPECT_TRUE(worker_.JoinIfFinished());
  EXPECT_FALSE(job_on_ui);
  EXPECT_EQ(folder, "/tmp/out");
  EXPECT_TRUE(answer);
  EXPECT_EQ(asked_keys_, std::vector<std::string>{"CONNECT_FOLDER"});
  const auto progress = sink_.MessagesOf(kMessageFileProgress);
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_EQ(progress[0].wparam, 1u);
  EXPECT_EQ(progress[0].lparam, 4);
  EXPECT_EQ(sink_.MessagesOf(kMessageFileWorkEnd).at(0).lparam, 1);
  EXPECT_FALSE(worker_.busy());
}

TEST_F(FileWorking, AStopAnswersTheRequestTheJobWaitsOnWithCancelWithoutTheUiThread) {
  std::atomic<bool> asked{false};
  std::string folder = "unset";
  std::string question_after_stop = "unset";
  ASSERT_TRUE(worker_.Start(
      [&](FileJobContext& c) {
        asked = true;
        folder = c.ask_folder("CSV_FOLDER");
        // Once stopped, later requests are refused without reaching the UI.
        question_after_stop = c.question("again?", "確認") ? "ok" : "cancel";
        c.message("never shown", "ERROR");
        return FileJobOutcome{};
      },
      {}, Dialogs()));
  while (!asked || ui_.waiting() == 0) std::this_thread::sleep_for(1ms);
  // The UI thread does not run the queued dialog: it is busy elsewhere (a
  // nested loop, the program's end).
  worker_.RequestStop();
  const auto until = std::chrono::steady_clock::now() + 5s;
  while (!worker_.finished() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(worker_.finished()) << "the job still waits for the UI thread";
  EXPECT_TRUE(worker_.JoinIfFinished());
  EXPECT_EQ(folder, "");
  EXPECT_EQ(question_after_stop, "cancel");
  // The abandoned dialog, run late, is not shown and answers nobody.
  ASSERT_TRUE(ui_.RunUntil([&] { return ui_.waiting() == 0; }));
  EXPECT_TRUE(asked_keys_.empty());
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(sink_.MessagesOf(kMessageFileWorkEnd).at(0).lparam, 0);
}

TEST_F(FileWorking, AListChangePostsTheListMessageInsteadOfTheEnd) {
  ASSERT_TRUE(worker_.Start(
      [](FileJobContext&) {
        FileJobOutcome o;
        o.started = o.list_changed = true;
        return o;
      },
      {}, Dialogs()));
  ASSERT_TRUE(ui_.RunUntil([&] { return Ended(); }));
  ASSERT_TRUE(ui_.RunUntil([&] { return worker_.JoinIfFinished(); }));
  EXPECT_EQ(sink_.MessagesOf(kMessageFileListChanged).size(), 1u);
  EXPECT_TRUE(sink_.MessagesOf(kMessageFileWorkEnd).empty()) << "the list's handler posts the end";
}

TEST_F(FileWorking, TheJobWorksOnACopyOfTheEntries) {
  std::vector<library::RecordingEntry> entries(2);
  entries[0].name = "a";
  entries[1].name = "b";
  std::vector<std::string> seen;
  ASSERT_TRUE(worker_.Start(
      [&](FileJobContext& c) {
        for (const auto& e : c.entries()) seen.push_back(e.name);
        return FileJobOutcome{};
      },
      entries, Dialogs()));
  entries.clear();
  ASSERT_TRUE(ui_.RunUntil([&] { return Ended(); }));
  ASSERT_TRUE(ui_.RunUntil([&] { return worker_.JoinIfFinished(); }));
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace viewer
