#include "viewer/skin/UiQText.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

TEST(UiQText, DecodesTheTextsAsUtf8) {
  EXPECT_EQ(UiQText(141), QString::fromUtf8(u8"駐車衝撃"));
  EXPECT_EQ(UiQText(141).size(), 4);
  // Line breaks inside a text are kept for the message box to split.
  EXPECT_TRUE(UiQText(107).contains(QStringLiteral("\r\n")));
}

TEST(UiQText, NumbersWithoutTextGiveAnEmptyString) {
  for (int n : {156, -1}) EXPECT_TRUE(UiQText(n).isEmpty()) << n;
}

}  // namespace
}  // namespace viewer
