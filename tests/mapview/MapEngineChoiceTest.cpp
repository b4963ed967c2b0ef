#include "mapview/MapEngineChoice.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace mapview {
namespace {

using Engine = MapEngineChoice::Engine;
using Facts = MapEngineChoice::Facts;

struct ChoiceRow {
  std::string name;
  Facts facts;
  Engine engine;
};

class MapEngineChoiceTest : public testing::TestWithParam<ChoiceRow> {};

TEST_P(MapEngineChoiceTest, PicksTheWindow) {
  const auto result = MapEngineChoice::Choose(GetParam().facts);
  EXPECT_EQ(result.engine, GetParam().engine);
  EXPECT_FALSE(result.reason.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Facts, MapEngineChoiceTest,
    testing::Values(ChoiceRow{"EngineUsable", {std::nullopt, true, false, false}, Engine::kWeb},
                    ChoiceRow{"AskedForNative", {"native", true, false, false}, Engine::kNative},
                    ChoiceRow{"AskedForNativeInCapitals", {"NATIVE", true, false, false}, Engine::kNative},
                    ChoiceRow{"HelperMissing", {std::nullopt, false, false, false}, Engine::kNative},
                    ChoiceRow{"RootWithSandbox", {std::nullopt, true, true, false}, Engine::kNative},
                    ChoiceRow{"RootWithoutSandbox", {std::nullopt, true, true, true}, Engine::kWeb},
                    ChoiceRow{"WebForcedAsRoot", {"web", true, true, false}, Engine::kWeb},
                    ChoiceRow{"WebForcedWithoutHelper", {"web", false, false, false}, Engine::kWeb},
                    ChoiceRow{"UnknownValueIsAutomatic", {"gl", false, false, false}, Engine::kNative},
                    ChoiceRow{"EmptyValueIsAutomatic", {"", true, false, false}, Engine::kWeb}),
    [](const auto& info) { return info.param.name; });

class MapEngineFactsTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"BRENNOVALE_MAP", "QTWEBENGINEPROCESS_PATH", "QTWEBENGINE_DISABLE_SANDBOX",
                             "QTWEBENGINE_CHROMIUM_FLAGS"}) {
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
      ::unsetenv(name);
    }
    dir_ = std::filesystem::temp_directory_path() / ("map-engine-facts-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    helper_ = dir_ / "helper";
    std::ofstream(helper_) << "#!/bin/sh\n";
  }
  void TearDown() override {
    for (const char* name : {"BRENNOVALE_MAP", "QTWEBENGINEPROCESS_PATH", "QTWEBENGINE_DISABLE_SANDBOX",
                             "QTWEBENGINE_CHROMIUM_FLAGS"}) {
      ::unsetenv(name);
    }
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
    std::filesystem::remove_all(dir_);
  }

  std::vector<std::pair<std::string, std::string>> saved_;
  std::filesystem::path dir_;
  std::filesystem::path helper_;
};

TEST_F(MapEngineFactsTest, TheHelperMustBeAnExecutableFile) {
  std::filesystem::permissions(helper_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_FALSE(MapEngineChoice::FromEnvironment(helper_).helper_present);
  EXPECT_FALSE(MapEngineChoice::FromEnvironment(dir_).helper_present);  // a folder
  EXPECT_FALSE(MapEngineChoice::FromEnvironment(dir_ / "missing").helper_present);
  EXPECT_FALSE(MapEngineChoice::FromEnvironment({}).helper_present);
  std::filesystem::permissions(helper_, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
  EXPECT_TRUE(MapEngineChoice::FromEnvironment(helper_).helper_present);
}

TEST_F(MapEngineFactsTest, TheEnginesOwnHelperPathWins) {
  std::filesystem::permissions(helper_, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
  ::setenv("QTWEBENGINEPROCESS_PATH", (dir_ / "missing").c_str(), 1);
  EXPECT_FALSE(MapEngineChoice::FromEnvironment(helper_).helper_present);
  ::setenv("QTWEBENGINEPROCESS_PATH", helper_.c_str(), 1);
  EXPECT_TRUE(MapEngineChoice::FromEnvironment(dir_ / "missing").helper_present);
}

TEST_F(MapEngineFactsTest, ReadsTheVariables) {
  Facts facts = MapEngineChoice::FromEnvironment(helper_);
  EXPECT_FALSE(facts.map_variable);
  EXPECT_FALSE(facts.sandbox_disabled);
  EXPECT_EQ(facts.root, ::geteuid() == 0);
  ::setenv("BRENNOVALE_MAP", "native", 1);
  ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "", 1);
  facts = MapEngineChoice::FromEnvironment(helper_);
  EXPECT_EQ(facts.map_variable, "native");
  EXPECT_FALSE(facts.sandbox_disabled);  // set but empty
  ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
  EXPECT_TRUE(MapEngineChoice::FromEnvironment(helper_).sandbox_disabled);
  ::unsetenv("QTWEBENGINE_DISABLE_SANDBOX");
  ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox", 1);
  EXPECT_TRUE(MapEngineChoice::FromEnvironment(helper_).sandbox_disabled);
}

}  // namespace
}  // namespace mapview
