#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <string>
#include <vector>

#include "../../player/ScreenReading.h"
#include "FakeFileSystem.h"
#include "RecordingOpening.h"
#include "TestFiles.h"
#include "library/RecordingNames.h"
#include "library/ui/CFileSelectDlg.h"
#include "platform/RecordingSink.h"
#include "platform/ScopedFileSystem.h"
#include "player/PlayerMessages.h"
#include "viewer/commands/Controls.h"
#include "viewer/commands/JoinChecks.h"
#include "viewer/settings/FolderIni.h"
#include "recording/CompanionPath.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/CSkinProgressBarCtrl.h"
#include "viewer/skin/MessageEvent.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/DeleteCommand.h"
#include "viewer/window/FileWorkerHost.h"
#include "viewer/window/JoinCommand.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  if (!fs::exists(folder)) return files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (e.is_regular_file()) files.push_back(e.path());
  }
  return files;
}

class FileCommands : public RecordingOpening {
 protected:
  void SetUp() override {
    RecordingOpening::SetUp();
    setenv("XDG_DATA_HOME", (dir_ / "xdg-data").c_str(), 1);
    fs::create_directories(out_);
    window_.files().set_folder_runner([this](QWidget*, const QString&, const QString&) {
      ++folder_asks_;
      return QString::fromStdString(folder_answer_.string());
    });
    window_.delete_command().set_release_wait(50ms);
    CMsgBox::SetRunner([this](CMsgDlg& dialog) {
      boxes_.push_back({dialog.message()->text(), dialog.windowTitle()});
      const bool question = dialog.cancel() != nullptr;
      if (question) ++questions_;
      return static_cast<int>(question && !answer_ok_ ? QDialog::Rejected : QDialog::Accepted);
    });
  }
  void TearDown() override {
    RecordingOpening::TearDown();
    unsetenv("XDG_DATA_HOME");
  }
  // The file selection dialog ticks these rows and answers OK.
  void Choose(std::vector<int> rows) {
    window_.files().set_file_select_runner([this, rows](library::CFileSelectDlg& d) {
      ++selections_;
      for (int r : rows) d.ToggleRow(r);
      d.accept();
      return static_cast<int>(QDialog::Accepted);
    });
  }
  bool WaitForEnd() { return WaitUntil([&] { return !window_.files().running(); }, 30s); }
  std::vector<std::string> RowPaths() const {
    std::vector<std::string> paths;
    for (const auto& e : Rows()) paths.push_back(e.path);
    return paths;
  }
  bool HasBox(int text) const {
    for (const Box& b : boxes_) {
      if (b.text.startsWith(UiQText(text))) return true;
    }
    return false;
  }

  fs::path out_ = dir_ / "out";
  fs::path folder_answer_ = out_;
  int folder_asks_ = 0;
  int selections_ = 0;
  int questions_ = 0;
  bool answer_ok_ = true;
};

// ---- still pictures

TEST_F(FileCommands, StillPicturesAreTheFramesOnScreenNamedAfterTheFrontFrame) {
  const auto card = CardOf(2, 3.0);
  ASSERT_TRUE(PlayCard(card));
  window_.OnCommand(CommandOf(Control::kStill));
  ASSERT_EQ(BoxTexts(), std::vector<QString>{UiQText(48)});
  const auto files = FilesIn(out_);
  ASSERT_EQ(files.size(), 2u);
  const std::string base = library::SnapshotBaseName(card[0].main_path);  // ...-M
  fs::path main_file, sub_file;
  for (const fs::path& f : files) (f.filename().string().starts_with(base) ? main_file : sub_file) = f;
  ASSERT_FALSE(main_file.empty());
  ASSERT_FALSE(sub_file.empty());
  // The name's frame number is the frame the picture shows.
  const std::string name = main_file.filename().string();
  const int frame = std::stoi(name.substr(base.size() + 1, 6));
  EXPECT_GT(frame, 0) << "taken while playing";
  const QImage picture(QString::fromStdString(main_file.string()));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(320, 180)) << "native size";
  EXPECT_EQ(player::screen::StripOf(picture), frame);
  EXPECT_EQ(sub_file.filename().string(), base.substr(0, base.size() - 1) + "S" + name.substr(base.size()));
  EXPECT_FALSE(QImage(QString::fromStdString(sub_file.string())).isNull());
  EXPECT_EQ(ReadFolderIni("FOLDERPATH", "SNAPSHOT_FOLDER"), out_.string());
  EXPECT_EQ(window_.views().state(), player::MovieView::ViewState::kPaused);
}

TEST_F(FileCommands, AStillOverAnExistingPictureAsksAndKeepsItOnCancel) {
  const auto card = CardOf(1, 3.0);
  ASSERT_TRUE(PlayCard(card));
  window_.OnCommand(CommandOf(Control::kPlay));  // paused: the same frame twice
  ASSERT_TRUE(WaitUntil([&] { return window_.views().state() == player::MovieView::ViewState::kPaused; }));
  window_.OnCommand(CommandOf(Control::kStill));
  const auto first = FilesIn(out_);
  ASSERT_EQ(first.size(), 2u);
  // Only the rear's file is left: it is asked about as well.
  fs::path main_file = first[0].filename().string().find("-M-") != std::string::npos ? first[0] : first[1];
  fs::remove(main_file);
  boxes_.clear();
  answer_ok_ = false;
  window_.OnCommand(CommandOf(Control::kStill));
  EXPECT_EQ(BoxTexts(), std::vector<QString>{UiQText(93)});
  EXPECT_EQ(FilesIn(out_).size(), 1u) << "nothing written after Cancel";
  boxes_.clear();
  answer_ok_ = true;
  window_.OnCommand(CommandOf(Control::kStill));
  EXPECT_EQ(BoxTexts(), (std::vector<QString>{UiQText(93), UiQText(48)}));
  EXPECT_EQ(FilesIn(out_).size(), 2u);
  for (const fs::path& f : FilesIn(out_)) EXPECT_EQ(f.extension(), ".jpg") << "no temporary file left";
}

TEST_F(FileCommands, NoFolderChosenWritesNothingAndSaysNothing) {
  const auto card = CardOf(1, 3.0);
  ASSERT_TRUE(PlayCard(card));
  folder_answer_.clear();
  window_.OnCommand(CommandOf(Control::kStill));
  EXPECT_EQ(folder_asks_, 1);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(FilesIn(out_).empty());
  EXPECT_EQ(ReadFolderIni("FOLDERPATH", "SNAPSHOT_FOLDER"), "");
}

// ---- delete

// Answers the release of each file from a worker thread: records whether
// a player still had the recording open at that moment.
class WatchingFileSystem : public testfiles::FakeFileSystem {
 public:
  std::function<void()> on_release;
  bool MoveToTrash(const fs::path& path) override {
    if (on_release) on_release();
    return FakeFileSystem::MoveToTrash(path);
  }
  bool Rename(const fs::path& from, const fs::path& to) override {
    if (on_release) on_release();
    return FakeFileSystem::Rename(from, to);
  }
};

TEST_F(FileCommands, DeleteInAFolderClosesThePlayingRecordingAndTrashesTheChosenSets) {
  const auto card = CardOf(5, 2.0);
  ASSERT_TRUE(PlayCard(card));
  WatchingFileSystem fake;
  std::atomic<bool> opened_while_released{false};
  fake.on_release = [&] {
    if (window_.views().opened(0) || window_.views().opened(1)) opened_while_released = true;
  };
  platform::ScopedFileSystem scoped(fake);
  const std::vector<std::string> before = RowPaths();
  ASSERT_EQ(before.size(), 5u);
  Choose({0, 1, 2});
  window_.OnCommand(CommandOf(Control::kDelete));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_FALSE(opened_while_released) << "the playing recording is closed before its files go";
  EXPECT_EQ(questions_, 1) << "how many go is asked";
  ASSERT_FALSE(boxes_.empty());
  EXPECT_TRUE(boxes_.front().text.contains("3"));
  EXPECT_EQ(boxes_.back().text, UiQText(48));
  EXPECT_EQ(RowPaths(), (std::vector<std::string>{before[3], before[4]}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(fs::exists(card[static_cast<std::size_t>(i)].main_path));
    EXPECT_FALSE(fs::exists(card[static_cast<std::size_t>(i)].sub_path));
    EXPECT_FALSE(fs::exists(card[static_cast<std::size_t>(i)].data_path));
  }
  EXPECT_EQ(FilesIn(dir_ / "xdg-data" / "Trash" / "files").size(), 9u) << "in the trash, not gone for good";
  // The first row of what is left is opened again.
  EXPECT_TRUE(WaitUntil([&] { return window_.opener().opened() == fs::path(before[3]); }));
}

TEST_F(FileCommands, DeleteCancelledInTheSelectionDeletesNothingAndReopensTheRecording) {
  const auto card = CardOf(3, 2.0);
  ASSERT_TRUE(PlayCard(card));
  Select(1);
  ASSERT_TRUE(WaitUntilPlaying(card[1].main_path));
  window_.files().set_file_select_runner([](library::CFileSelectDlg& d) {
    d.ToggleRow(0);
    d.reject();
    return static_cast<int>(QDialog::Rejected);
  });
  window_.OnCommand(CommandOf(Control::kDelete));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(boxes_.empty());
  for (const auto& r : card) EXPECT_TRUE(fs::exists(r.main_path));
  EXPECT_EQ(Rows().size(), 3u);
  // Closed for the delete, the recording comes back, stopped at its start.
  EXPECT_TRUE(WaitUntil([&] { return window_.loaded() && window_.opener().opened() == card[1].main_path; }));
  EXPECT_EQ(FrontStrip(), 0);
}

TEST_F(FileCommands, DeleteOnACardHidesTheSetsAndAFailureStopsThereNamingTheFile) {
  const auto card = CardOf(4, 2.0);
  OpenCard(card);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  testfiles::FakeFileSystem fake;
  fake.mount_points = {CardRootOf(card[0].main_path)};
  const std::vector<std::string> before = RowPaths();
  ASSERT_EQ(before.size(), 4u);
  // From the last chosen to the first: row 3 goes, row 2 fails, row 1 stays.
  fake.unrenamable = {before[2]};
  platform::ScopedFileSystem scoped(fake);
  Choose({1, 2, 3});
  window_.OnCommand(CommandOf(Control::kDelete));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_TRUE(HasBox(97));
  EXPECT_FALSE(HasBox(48)) << "no completion after a failure";
  for (const Box& b : boxes_) {
    if (b.text.startsWith(UiQText(97))) {
      EXPECT_TRUE(b.text.contains(fs::path(before[2]).filename().c_str()));
    }
  }
  EXPECT_EQ(RowPaths(), (std::vector<std::string>{before[0], before[1], before[2]}));
  fs::path released = before[3];
  EXPECT_FALSE(fs::exists(released));
  EXPECT_TRUE(fs::exists(released.replace_extension(".DMY"))) << "a card's sets are released, not deleted";
  EXPECT_TRUE(fs::exists(before[1]));
  EXPECT_TRUE(fs::exists(before[2]));
}

// ---- join

TEST_F(FileCommands, JoinOfThreeWritesOneRecordingOfAllTheirFrames) {
  const auto card = CardOf(3, 2.0);
  ASSERT_TRUE(PlayCard(card));
  Choose({0, 1, 2});
  window_.OnCommand(CommandOf(Control::kJoin));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(BoxTexts(), std::vector<QString>{UiQText(48)});
  const fs::path output = out_ / card[0].main_path.filename();
  ASSERT_TRUE(fs::exists(output));
  const int frames = card[0].main_frames + card[1].main_frames + card[2].main_frames;
  EXPECT_EQ(std::stoi(testfiles::Run("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                     "stream=nb_read_frames -of csv=p=0 '" + output.string() + "'")),
            frames);
  EXPECT_EQ(ReadFolderIni("FOLDERPATH", "CONNECT_FOLDER"), out_.string());
  // Our player shows the third recording's last frame at the end.
  platform::RecordingSink sink;
  player::MovieView view(&sink, nullptr, {});
  view.SetUp("Noto Sans CJK JP");
  ASSERT_TRUE(player::screen::OpenAndWait(view, sink, output));
  EXPECT_EQ(view.FrameCount(), frames);
  view.ShowFrame(frames - 1);
  EXPECT_EQ(player::screen::StripOnScreen(view), card[2].main_frames - 1);
  // Afterwards the recording shown is opened again, stopped at its start.
  EXPECT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  EXPECT_NE(window_.views().state(), player::MovieView::ViewState::kPlaying);
}

TEST_F(FileCommands, JoinWithExactlyEnoughFreeSpaceFailsBeforeWriting) {
  const auto card = CardOf(3, 2.0);
  OpenCard(card);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  std::uint64_t needed = JoinedBytes({Rows()[0], Rows()[1]});
  window_.join_command().set_free_space([&](const fs::path&) { return std::optional<std::uint64_t>(needed); });
  Choose({0, 1});
  window_.OnCommand(CommandOf(Control::kJoin));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(BoxTexts(), std::vector<QString>{UiQText(95)});
  EXPECT_TRUE(FilesIn(out_).empty());
  EXPECT_EQ(ReadFolderIni("FOLDERPATH", "CONNECT_FOLDER"), "");
}

TEST_F(FileCommands, JoinIntoTheInputsOwnFolderIsRefusedBeforeAnyQuestion) {
  const auto card = CardOf(2, 2.0);
  OpenCard(card);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  const auto size = fs::file_size(card[0].main_path);
  folder_answer_ = card[0].main_path.parent_path();
  Choose({0, 1});
  window_.OnCommand(CommandOf(Control::kJoin));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(questions_, 0);
  EXPECT_EQ(BoxTexts(), std::vector<QString>{UiQText(95)});
  EXPECT_EQ(fs::file_size(card[0].main_path), size);
}

TEST_F(FileCommands, CancelInTheFolderPickerChangesNothing) {
  const auto card = CardOf(2, 2.0);
  OpenCard(card);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  const auto rows = RowPaths();
  folder_answer_.clear();
  Choose({0, 1});
  window_.OnCommand(CommandOf(Control::kJoin));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(folder_asks_, 1);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(FilesIn(out_).empty());
  EXPECT_EQ(RowPaths(), rows);
  EXPECT_FALSE(window_.progress_bar()->isVisible());
  EXPECT_TRUE(window_.bar_button(static_cast<int>(Control::kJoin))->isEnabled());
}

TEST_F(FileCommands, FirstWhileTheFileSelectionIsOpenEndsTheOperation) {
  const auto card = CardOf(2, 2.0);
  OpenCard(card);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  bool ended_inside = false;
  window_.files().set_file_select_runner([&](library::CFileSelectDlg& d) {
    d.ToggleRow(0);
    window_.OnCommand(CommandOf(Control::kFirst));
    ended_inside = !window_.files().running();
    d.accept();
    return static_cast<int>(QDialog::Accepted);
  });
  window_.OnCommand(CommandOf(Control::kJoin));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(ended_inside) << "the operation ended while the dialog was still up";
  EXPECT_EQ(folder_asks_, 0) << "the dialog's late answer goes nowhere";
  EXPECT_TRUE(FilesIn(out_).empty());
}

// ---- the program's end

// Ends the program when the worker reports its first step (0x8008 with
// done = 1), as a close arriving then would.
class EndAtFirstStep : public QObject {
 public:
  explicit EndAtFirstStep(CQuorbexDlg& window) : window_(window) { window_.installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == MessageEvent::TypeId()) {
      const platform::Message& m = static_cast<MessageEvent*>(e)->message;
      if (m.message == 0x8008 && m.wparam == 1 && m.lparam > 1 && !window_.shut_down()) window_.Shutdown();
    }
    return false;
  }

 private:
  CQuorbexDlg& window_;
};

TEST_F(FileCommands, ShutdownDuringAJoinStopsTheWorkerAndLeavesNoFile) {
  const auto card = CardOf(4, 2.0);
  OpenCard(card);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  // The program ends while the worker checks the free space; the worker
  // goes on only once the end has asked it to stop.
  window_.join_command().set_free_space([&](const fs::path& folder) {
    QMetaObject::invokeMethod(&window_, [&] { window_.Shutdown(); }, Qt::QueuedConnection);
    while (window_.files().busy()) std::this_thread::sleep_for(1ms);
    return std::optional<std::uint64_t>(fs::space(folder).available);
  });
  Choose({0, 1, 2, 3});
  window_.OnCommand(CommandOf(Control::kJoin));
  ASSERT_TRUE(WaitUntil([&] { return window_.shut_down(); }, 30s));
  EXPECT_FALSE(window_.files().running()) << "the worker has ended and was joined";
  EXPECT_TRUE(FilesIn(out_).empty()) << "no output, whole or half";
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(FileCommands, ShutdownDuringADeleteStopsAtTheNextSet) {
  const auto card = CardOf(4, 2.0);
  OpenCard(card);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  const std::vector<std::string> before = RowPaths();
  EndAtFirstStep end(window_);
  Choose({0, 1, 2, 3});
  window_.OnCommand(CommandOf(Control::kDelete));
  ASSERT_TRUE(WaitUntil([&] { return window_.shut_down(); }, 30s));
  EXPECT_FALSE(window_.files().running());
  int left = 0;
  for (const std::string& p : before) left += fs::exists(p) ? 1 : 0;
  EXPECT_GE(left, 2) << "the worker stopped before the rest";
  EXPECT_LE(left, 3);
  for (const std::string& p : before) {
    // A set is whole or gone: the rear goes with its main file.
    EXPECT_EQ(fs::exists(p), fs::exists(recording::CompanionPath(p, recording::Companion::kOtherCamera))) << p;
  }
}

}  // namespace
}  // namespace viewer
