// Blanks trimmed around texts.
#include "platform/blank_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Trimmers, BothForms) {
  EXPECT_EQ(TrimBlanks(" \t\r\n a b \r\n"), "a b");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(TrimBlanks("x"), "x");
  char buffer[32] = "\t  host name \r\n";
  TrimBlanksInPlace(buffer);
  EXPECT_STREQ(buffer, "host name");
  char blank[8] = " \n\t";
  TrimBlanksInPlace(blank);
  EXPECT_STREQ(blank, "");
  TrimBlanksInPlace(nullptr);
}

}  // namespace
