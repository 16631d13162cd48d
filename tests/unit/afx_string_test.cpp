#include <gtest/gtest.h>

#include <string>

#include "framework/afx_string.h"
#include "framework/afx_string_array.h"

TEST(CString, FindLeftRightMidSplitAsTheJobPassDoes) {
  const CString text("a;bc;");
  EXPECT_EQ(1, text.Find(';'));
  EXPECT_EQ(4, text.Find(';', 2));
  EXPECT_EQ(-1, text.Find(';', 5));
  EXPECT_EQ(-1, text.Find(';', 99));
  EXPECT_EQ(-1, CString("abc").Find(';'));
  EXPECT_STREQ("a", text.Mid(0, 1));
  EXPECT_STREQ("bc", text.Mid(2, 2));
  EXPECT_STREQ("", text.Mid(5, 0));
  EXPECT_STREQ("bc;", text.Mid(2, 99));
  EXPECT_STREQ("", text.Mid(99, 1));
  EXPECT_STREQ("a", text.Left(1));
  EXPECT_STREQ("", text.Left(0));
  EXPECT_STREQ("bc;", text.Right(3));
  EXPECT_STREQ("", text.Right(0));
  EXPECT_STREQ("a;bc;", text.Right(99));
}

TEST(CString, MakeUpperChangesOnlyAsciiLetters) {
  CString text(
      "Quill\xFC"
      "spur[1]");
  text.MakeUpper();
  EXPECT_STREQ(
      "QUILL\xFC"
      "SPUR[1]",
      text);
}

TEST(CString, FormatHasNoLengthLimitAndKeepsArgumentsVerbatim) {
  const std::string longText(5000, 'x');
  CString text;
  text.Format("%s|%d", longText.c_str(), -1);
  EXPECT_EQ(5003, text.GetLength());
  text.Format("'%s'", "100%d");
  EXPECT_STREQ("'100%d'", text);
}

TEST(CString, CopiesAreIndependent) {
  CString a("abc");
  CString b = a;
  b.MakeUpper();
  b += '!';
  EXPECT_STREQ("abc", a);
  EXPECT_STREQ("ABC!", b);
  EXPECT_STREQ(
      "x"
      "ABC!"
      "y",
      "x" + b + "y");
}

TEST(CStringArray, SetSizeZeroEmptiesAndSetAtGrowAppends) {
  CStringArray names;
  names.SetAtGrow(0, "one");
  names.SetAtGrow(names.GetSize(), "two");
  ASSERT_EQ(2, names.GetSize());
  EXPECT_STREQ("two", names.GetAt(1));
  names.SetSize(0, -1);
  EXPECT_EQ(0, names.GetSize());
}
