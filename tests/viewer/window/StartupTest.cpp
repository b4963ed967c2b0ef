#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <set>
#include <string>
#include <vector>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "app/CQuorbexApp.h"
#include "library/SourceSetting.h"
#include "library/ui/CFilerContainerDlg.h"
#include "platform/ScopedFileSystem.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CMsgDlg.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingOpener.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(start_);
    options_.startup_folder = start_;
    options_.config_home = dir_ / "config";
    // No removable volume unless a test makes one: the machine's own would
    // be taken as the card at start.
    fake_.use_removable = true;
    viewer::CMsgBox::SetRunner([this](viewer::CMsgDlg& d) {
      messages_.push_back(d.message()->text());
      return static_cast<int>(QDialog::Accepted);
    });
  }
  void TearDown() override {
    viewer::CMsgBox::SetRunner([](viewer::CMsgDlg& d) { return d.exec(); });
    viewer::InitializeSettings(fs::current_path());
  }
  // Runs the posted deferred initialisation.
  static void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  std::string Setting(const char* section, const char* key) { return viewer::ReadFolderIni(section, key); }

  // The Normal recordings of the shared card copied into a plain folder; their names.
  std::set<std::string> CopyNormalRecordings(const fs::path& folder) {
    fs::create_directories(folder);
    std::set<std::string> names;
    for (const auto& r : testfiles::SharedCard()) {
      if (r.main_path.string().find("/Normal/") == std::string::npos) continue;
      fs::copy_file(r.main_path, folder / r.main_path.filename());
      names.insert(r.main_path.filename().string());
    }
    return names;
  }
  // Lists the first group of the first folder in the tree, as a click on it would.
  static void ListFirstGroup(CQuorbexApp& app) {
    library::CFilerContainerDlg* filer = app.window()->filer();
    if (filer->scanner().tree().top().empty()) return;
    library::TreeItem* top = filer->scanner().tree().top()[0].get();
    if (!top->children.empty()) filer->SelectItem(top->children[0].get());
  }
  std::set<std::string> Listed(CQuorbexApp& app) {
    std::set<std::string> listed;
    for (const auto& e : app.window()->filer()->list()->rows()) listed.insert(e.name);
    return listed;
  }

  testfiles::TempDir dir_;
  fs::path start_ = dir_ / "start";
  CQuorbexApp::Options options_;
  testfiles::FakeFileSystem fake_;
  platform::ScopedFileSystem scoped_{fake_};
  QStringList messages_;
};

TEST_F(Startup, FirstStartWritesTheDisplayDefaultsAndTheEffectiveVolume) {
  CQuorbexApp app;
  std::string error;
  ASSERT_TRUE(app.InitInstance(options_, &error)) << error;
  EXPECT_EQ(Setting("DISPLAY", "INFOCHECK"), "31");
  EXPECT_EQ(Setting("DISPLAY", "ASPECT"), "on");
  EXPECT_EQ(Setting("DISPLAY", "VOLUME"), "65535");
  EXPECT_TRUE(app.window()->keep_aspect());
  EXPECT_EQ(app.window()->windowTitle().toStdString(), "Brennovale");
  EXPECT_EQ(app.window()->size_mode(), 0);
}

struct VolumeRow {
  const char* name;
  const char* stored;
  int effective;
  const char* written_back;
};
void PrintTo(const VolumeRow& row, std::ostream* out) { *out << row.name; }
class StartupVolume : public Startup, public ::testing::WithParamInterface<VolumeRow> {};

TEST_P(StartupVolume, AnExistingFileKeepsItsValuesAndGetsTheEffectiveVolume) {
  const VolumeRow& r = GetParam();
  viewer::InitializeSettings(start_, options_.config_home);
  ASSERT_TRUE(viewer::WriteFolderIni("DISPLAY", "VOLUME", r.stored));
  ASSERT_TRUE(viewer::WriteFolderIni("DISPLAY", "ASPECT", "off"));
  CQuorbexApp app;
  ASSERT_TRUE(app.InitInstance(options_, nullptr));
  EXPECT_EQ(app.window()->volume(), r.effective);
  EXPECT_EQ(Setting("DISPLAY", "VOLUME"), r.written_back);
  EXPECT_EQ(Setting("DISPLAY", "INFOCHECK"), "");  // defaults only for a missing file
  EXPECT_FALSE(app.window()->keep_aspect());
}

const VolumeRow kVolumes[] = {
    {"Empty", "", 65535, "65535"},
    {"NotANumber", "abc", 0, "0"},
    {"AboveTheRange", "70000", 65535, "65535"},
    {"InRange", "1200", 1200, "1200"},
};
std::string VolumeName(const ::testing::TestParamInfo<VolumeRow>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(Rows, StartupVolume, ::testing::ValuesIn(kVolumes), VolumeName);

TEST_F(Startup, AFolderOnTheCommandLineIsStoredAndListed) {
  const fs::path folder = dir_ / "recordings";
  const std::set<std::string> names = CopyNormalRecordings(folder);
  ASSERT_FALSE(names.empty());
  options_.source = folder;
  CQuorbexApp app;
  std::string error;
  ASSERT_TRUE(app.InitInstance(options_, &error)) << error;
  EXPECT_EQ(Setting("SOURCE", "SELECT"), "FOLDER");
  EXPECT_EQ(Setting("SOURCE", "FOLDER"), folder.string());
  Settle();
  // The folder is in the tree with its group of recordings; the group lists them.
  library::CFilerContainerDlg* filer = app.window()->filer();
  ASSERT_EQ(filer->scanner().kind(), library::SourceKind::kFolder);
  ASSERT_FALSE(filer->scanner().tree().top().empty());
  library::TreeItem* top = filer->scanner().tree().top()[0].get();
  ASSERT_EQ(top->children.size(), 1u);
  EXPECT_EQ(filer->SelectItem(top->children[0].get()), names.size());
  EXPECT_EQ(Listed(app), names);
  // The buttons follow the new list.
  EXPECT_TRUE(app.window()->bar_button(static_cast<int>(viewer::Control::kNext))->isEnabled());
}

TEST_F(Startup, ARecordingOnTheCommandLineIsAFileSource) {
  const fs::path file = testfiles::SharedCard().front().main_path;
  options_.source = file;
  CQuorbexApp app;
  ASSERT_TRUE(app.InitInstance(options_, nullptr));
  EXPECT_EQ(Setting("SOURCE", "SELECT"), "FILE");
  EXPECT_EQ(Setting("SOURCE", "FILE"), file.string());
  Settle();
  ASSERT_EQ(app.window()->filer()->list()->rows().size(), 1u);
  EXPECT_EQ(app.window()->filer()->list()->rows()[0].path, file.string());
}

TEST_F(Startup, AMissingPathIsRefusedAndTheProgramStartsWithoutIt) {
  options_.source = dir_ / "nowhere";
  CQuorbexApp app;
  std::string error;
  EXPECT_FALSE(app.InitInstance(options_, &error));
  EXPECT_NE(error.find("nowhere"), std::string::npos);
  EXPECT_EQ(Setting("SOURCE", "SELECT"), "");
  Settle();
  EXPECT_TRUE(app.window()->filer()->list()->rows().empty());
  EXPECT_TRUE(app.window()->isVisible());
}

TEST_F(Startup, ACardShapedRemovableVolumeOnTheCommandLineIsTheCard) {
  const fs::path card = dir_ / "card";
  const std::set<std::string> names = CopyNormalRecordings(card / "Normal");
  fake_.removable = {card};
  options_.source = card;
  CQuorbexApp app;
  std::string error;
  ASSERT_TRUE(app.InitInstance(options_, &error)) << error;
  EXPECT_EQ(Setting("SOURCE", "SELECT"), "SD");
  EXPECT_EQ(Setting("SOURCE", "SD"), card.string());
  Settle();
  EXPECT_EQ(app.window()->filer()->scanner().kind(), library::SourceKind::kCard);
  EXPECT_EQ(Listed(app), names);
}

TEST_F(Startup, TheStoredSourceIsReloaded) {
  const fs::path folder = dir_ / "recordings";
  const std::set<std::string> names = CopyNormalRecordings(folder);
  viewer::InitializeSettings(start_, options_.config_home);
  ASSERT_TRUE(library::WriteSourceSetting(library::SourceKind::kFolder, folder.string()));
  CQuorbexApp app;
  ASSERT_TRUE(app.InitInstance(options_, nullptr));
  Settle();
  EXPECT_EQ(app.window()->filer()->scanner().kind(), library::SourceKind::kFolder);
  EXPECT_EQ(app.window()->filer()->scanner().source_path(), folder);
  ListFirstGroup(app);
  EXPECT_EQ(Listed(app), names);
}

TEST_F(Startup, AStoredSourceThatIsGoneStartsEmptyWithoutAMessage) {
  viewer::InitializeSettings(start_, options_.config_home);
  ASSERT_TRUE(library::WriteSourceSetting(library::SourceKind::kFile, (dir_ / "gone" / "A__-240301-100000-000001M.MOV").string()));
  ASSERT_TRUE(library::WriteSourceSetting(library::SourceKind::kFolder, (dir_ / "gone").string()));
  CQuorbexApp app;
  ASSERT_TRUE(app.InitInstance(options_, nullptr));
  Settle();
  EXPECT_TRUE(app.window()->filer()->list()->rows().empty());
  EXPECT_TRUE(app.window()->filer()->scanner().tree().top().empty());
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join("; ").toStdString();
  EXPECT_TRUE(app.window()->isVisible());
  EXPECT_TRUE(app.window()->bar_button(static_cast<int>(viewer::Control::kSource))->isEnabled())
      << "a new source can be chosen";
}

TEST_F(Startup, TheRowNamedOnTheCommandLineOpensAndPlays) {
  const fs::path folder = dir_ / "Normal";
  ASSERT_FALSE(CopyNormalRecordings(folder).empty());
  options_.source = folder;
  options_.select_row = 1;
  CQuorbexApp app;
  ASSERT_TRUE(app.InitInstance(options_, nullptr));
  viewer::CQuorbexDlg& window = *app.window();
  player::MovieView& front = window.views().view(player::ViewPair::kFront);
  ASSERT_TRUE(QTest::qWaitFor([&] { return front.FrameOnScreen().frame > 3; }, 10000)) << "nothing played";
  ASSERT_GE(window.filer()->list()->rows().size(), 2u);
  EXPECT_EQ(window.opener().opened().string(), window.filer()->list()->rows()[1].path);
  EXPECT_EQ(window.filer()->current_row(), 1);
}

// The threads of this process.
int ThreadCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& task : fs::directory_iterator("/proc/self/task")) ++n;
  return n;
}

struct CloseRow {
  const char* name;
  // Runs the event loop until the moment of the close; false when it never came.
  bool (*until)(viewer::CQuorbexDlg& window);
};
void PrintTo(const CloseRow& row, std::ostream* out) { *out << row.name; }
class Closing : public Startup, public ::testing::WithParamInterface<CloseRow> {};

TEST_P(Closing, EndsEveryThreadAndOpensNothingMore) {
  const fs::path folder = dir_ / "recordings";
  ASSERT_FALSE(CopyNormalRecordings(folder).empty());
  options_.source = folder;
  CQuorbexApp app;
  ASSERT_TRUE(app.InitInstance(options_, nullptr));
  Settle();
  viewer::CQuorbexDlg& window = *app.window();
  ListFirstGroup(app);
  ASSERT_FALSE(window.filer()->list()->rows().empty());
  const int threads_before = ThreadCount();

  window.filer()->list()->on_row_selected(0);
  ASSERT_TRUE(GetParam().until(window)) << "the moment of the close never came";
  const fs::path opened = window.opener().opened();
  const bool loaded = window.loaded();
  window.close();  // the window manager's close
  EXPECT_TRUE(window.shut_down());
  EXPECT_EQ(window.views().state(), player::MovieView::ViewState::kNothing);
  // Nothing left running: no open after the delay, no message acted on, and
  // the threads of the players and the loader gone.
  QTest::qWait(800);
  EXPECT_EQ(window.opener().opened(), opened);
  EXPECT_EQ(window.views().state(), player::MovieView::ViewState::kNothing);
  EXPECT_EQ(window.loaded(), loaded) << "data that arrived after the close was taken";
  EXPECT_TRUE(QTest::qWaitFor([&] { return ThreadCount() <= threads_before; }, 2000))
      << ThreadCount() << " threads, " << threads_before << " before the open";
}

const CloseRow kCloses[] = {
    {"RightAfterSelecting", [](viewer::CQuorbexDlg&) { return true; }},
    {"WhileOpening",
     [](viewer::CQuorbexDlg& w) { return QTest::qWaitFor([&] { return !w.opener().opened().empty(); }, 5000); }},
    {"AtMediaReadyWhileTheLoaderRuns",
     [](viewer::CQuorbexDlg& w) { return QTest::qWaitFor([&] { return w.views().media_ready(); }, 5000); }},
    {"WhilePlaying",
     [](viewer::CQuorbexDlg& w) { return QTest::qWaitFor([&] { return w.loaded(); }, 5000); }},
};
std::string CloseName(const ::testing::TestParamInfo<CloseRow>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(Rows, Closing, ::testing::ValuesIn(kCloses), CloseName);

TEST(Arguments, SourceAndScreenshot) {
  CQuorbexApp::Options o;
  std::string error;
  ASSERT_TRUE(CQuorbexApp::ParseArguments({"brennovale", "/card", "--screenshot", "a.png", "1500"}, &o, &error));
  EXPECT_EQ(o.source, "/card");
  EXPECT_EQ(o.screenshot, "a.png");
  EXPECT_EQ(o.screenshot_delay_ms, 1500);
  CQuorbexApp::Options none;
  EXPECT_TRUE(CQuorbexApp::ParseArguments({"brennovale"}, &none, &error));
  EXPECT_TRUE(none.source.empty());
  EXPECT_FALSE(CQuorbexApp::ParseArguments({"brennovale", "a", "b"}, &none, &error));
  EXPECT_FALSE(CQuorbexApp::ParseArguments({"brennovale", "--screenshot"}, &none, &error));
  EXPECT_EQ(none.select_row, -1);
  CQuorbexApp::Options selected;
  ASSERT_TRUE(CQuorbexApp::ParseArguments({"brennovale", "--select", "2", "/card"}, &selected, &error));
  EXPECT_EQ(selected.select_row, 2);
  EXPECT_EQ(selected.source, "/card");
  EXPECT_EQ(selected.size_mode, 0) << "the normal size unless told";
  CQuorbexApp::Options sized;
  ASSERT_TRUE(CQuorbexApp::ParseArguments({"brennovale", "/card", "--size-mode", "2"}, &sized, &error));
  EXPECT_EQ(sized.size_mode, 2);
  EXPECT_EQ(sized.source, "/card");
}

// An option's value that is missing or not a number it takes is refused.
TEST(Arguments, BadOptionValuesAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {"--select", "-1"},  {"--select", "two"},    {"--select", "2x"},     {"--select", ""},     {"--select"},
      {"--size-mode", "3"}, {"--size-mode", "-1"}, {"--size-mode", "1.5"}, {"--size-mode", ""}, {"--size-mode"},
  };
  for (const std::vector<std::string>& row : bad) {
    std::vector<std::string> args = {"brennovale"};
    args.insert(args.end(), row.begin(), row.end());
    CQuorbexApp::Options o;
    std::string error;
    EXPECT_FALSE(CQuorbexApp::ParseArguments(args, &o, &error)) << row.front() << " " << (row.size() > 1 ? row[1] : "");
    EXPECT_NE(error.find("--size-mode"), std::string::npos) << "the usage text names every option";
  }
}

}  // namespace
}  // namespace app
