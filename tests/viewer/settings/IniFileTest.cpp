#include "viewer/settings/IniFile.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

TEST(IniFileTest, NamesCompareWithoutCaseAndValuesAreTrimmed) {
  const IniFile ini = IniFile::Parse("[Display]\r\n  volume =  120  \r\naspect=\"on\"\r\n[DECODE]\r\nHW=ON\r\n");
  EXPECT_EQ(ini.Get("DISPLAY", "VOLUME"), "120");
  EXPECT_EQ(ini.Get("display", "Aspect"), "on");
  EXPECT_EQ(ini.Get("DECODE", "HW"), "ON") << "values keep their case";
  EXPECT_FALSE(ini.Get("DISPLAY", "HW"));
  EXPECT_FALSE(ini.Get("SOURCE", "SD"));
}

TEST(IniFileTest, WritingKeepsEverythingElse) {
  IniFile ini = IniFile::Parse("; made by hand\n[DISPLAY]\n  INFOCHECK = 31\nCustom=keep me\n\n[Other]\nx=1\n");
  ini.Set("display", "VOLUME", "200");
  ini.Set("DISPLAY", "infocheck", "7");
  ini.Set("SOURCE", "SELECT", "SD");
  const std::string text = ini.Serialize();
  EXPECT_EQ(text,
            "; made by hand\r\n[DISPLAY]\r\ninfocheck=7\r\nCustom=keep me\r\nVOLUME=200\r\n\r\n[Other]\r\nx=1\r\n"
            "[SOURCE]\r\nSELECT=SD\r\n");
  const IniFile again = IniFile::Parse(text);
  EXPECT_EQ(again.Get("DISPLAY", "VOLUME"), "200");
  EXPECT_EQ(again.Get("Other", "X"), "1");
  EXPECT_EQ(again.Get("SOURCE", "SELECT"), "SD");
}

TEST(IniFileTest, EmptySectionGetsItsFirstKeyRightAfterTheHeader) {
  IniFile ini = IniFile::Parse("[A]\n[B]\ny=2\n");
  ini.Set("A", "k", "v");
  EXPECT_EQ(ini.Serialize(), "[A]\r\nk=v\r\n[B]\r\ny=2\r\n");
}

}  // namespace
}  // namespace viewer
