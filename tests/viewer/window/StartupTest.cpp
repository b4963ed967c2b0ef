#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <set>

#include "TestFiles.h"
#include "app/CQuorbexApp.h"
#include "library/ui/CFilerContainerDlg.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/window/CQuorbexDlg.h"

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
  }
  void TearDown() override { viewer::InitializeSettings(fs::current_path()); }
  // Runs the posted deferred initialisation.
  static void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  std::string Setting(const char* section, const char* key) { return viewer::ReadFolderIni(section, key); }

  testfiles::TempDir dir_;
  fs::path start_ = dir_ / "start";
  CQuorbexApp::Options options_;
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
  const auto& card = testfiles::SharedCard();
  // The card's Normal recordings copied into a plain folder.
  const fs::path folder = dir_ / "recordings";
  fs::create_directories(folder);
  std::set<std::string> names;
  for (const auto& r : card) {
    if (r.main_path.string().find("/Normal/") == std::string::npos) continue;
    fs::copy_file(r.main_path, folder / r.main_path.filename());
    names.insert(r.main_path.filename().string());
  }
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
  std::set<std::string> listed;
  for (const auto& e : filer->list()->rows()) listed.insert(e.name);
  EXPECT_EQ(listed, names);
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
}

}  // namespace
}  // namespace app
