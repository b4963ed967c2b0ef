#include "maintenance/ScriptFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "TestFiles.h"

namespace maintenance {
namespace {

namespace fs = std::filesystem;

TEST(ScriptFile, IsCreatedPrivateWithTheExactBytes) {
  testfiles::TempDir dir;
  const fs::path file = dir / kScriptFileName;
  std::string error;
  ASSERT_TRUE(WriteScriptFile(file, "select volume F:\r\nclean\r\n", &error)) << error;
  EXPECT_EQ(testfiles::ReadText(file), "select volume F:\r\nclean\r\n");
  struct stat st {};
  ASSERT_EQ(::lstat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(ScriptFile, AStaleScriptOfOursIsReplaced) {
  testfiles::TempDir dir;
  const fs::path file = dir / kScriptFileName;
  std::ofstream(file) << "an old and much longer script left by a refused elevation";
  ASSERT_TRUE(WriteScriptFile(file, "new", nullptr));
  EXPECT_EQ(testfiles::ReadText(file), "new");
}

TEST(ScriptFile, ALinkInItsPlaceIsNeitherFollowedNorReplaced) {
  testfiles::TempDir dir;
  const fs::path target = dir / "victim";
  std::ofstream(target) << "keep";
  fs::create_symlink(target, dir / kScriptFileName);
  std::string error;
  EXPECT_FALSE(WriteScriptFile(dir / kScriptFileName, "select volume X", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(testfiles::ReadText(target), "keep");
  EXPECT_TRUE(fs::is_symlink(dir / kScriptFileName));
}

TEST(ScriptFile, AFolderInItsPlaceFails) {
  testfiles::TempDir dir;
  fs::create_directory(dir / kScriptFileName);
  EXPECT_FALSE(WriteScriptFile(dir / kScriptFileName, "x", nullptr));
  EXPECT_TRUE(fs::is_directory(dir / kScriptFileName));
}

TEST(ScriptFile, GoesToTheRuntimeFolderWhenTheProgramsFolderIsUnusable) {
  testfiles::TempDir dir;
  EXPECT_EQ(ScriptFolder(dir.path()), dir.path());
  fs::create_directory(dir / "runtime");
  const char* before = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = before ? before : "";
  ::setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
  EXPECT_EQ(ScriptFolder(dir / "gone"), dir / "runtime");
  ::setenv("XDG_RUNTIME_DIR", "relative/path", 1);
  EXPECT_EQ(ScriptFolder(dir / "gone"), fs::path()) << "a relative runtime folder is not trusted";
  if (before) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace maintenance
