#include "viewer/settings/UiTextTable.h"

#include <gtest/gtest.h>

#include "viewer/settings/UiFontSizes.h"

namespace viewer {
namespace {

TEST(UiTextTableTest, TextsByNumberInBothLanguages) {
  for (int language : {0, 1}) {
    SetUiLanguage(language);
    EXPECT_EQ(UiText(0), "閉じる");
    EXPECT_EQ(UiText(48), "完了しました。");
    EXPECT_EQ(UiText(106), "確認");
    EXPECT_EQ(UiText(107), "新しいバージョンのソフトを利用できます。\r\nダウンロードする場合は下記URLをクリックしてください。");
    EXPECT_EQ(UiText(113), "メイリオ");
    EXPECT_EQ(UiText(141), "駐車衝撃");
    EXPECT_EQ(UiText(155), "サブカメラデータサイズ");
    EXPECT_EQ(UiText(24), UiText(29)) << "some texts occur twice";
    for (int n : {156, 200, 259, 260, -1}) EXPECT_EQ(UiText(n), "") << n;
  }
  SetUiLanguage(0);
  EXPECT_EQ(UiLanguageForLocale("en_US.UTF-8"), 1);
  EXPECT_EQ(UiLanguageForLocale("ja_JP.UTF-8"), 0);
  EXPECT_EQ(UiLanguageForLocale("en_GB.UTF-8"), 0);
}

TEST(UiFontSizesTest, PixelHeightsFollowTheDisplayScale) {
  const int at96[] = {12, 13, 17, 23, 29};
  for (std::size_t i = 0; i < kUiFontPoints.size(); ++i) EXPECT_EQ(UiFontPixelHeight(kUiFontPoints[i], 96, 96), at96[i]);
  // At 150 % the point size is divided first, so pixel sizes stay close.
  EXPECT_EQ(UiFontPixelHeight(10, 144, 144), 12);  // trunc(10 / 1.5) = 6 points at 144 dpi
  EXPECT_EQ(UiFontPixelHeight(22, 192, 192), 29);
}

}  // namespace
}  // namespace viewer
