#include <gtest/gtest.h>

#include "core/TErrorReport.h"
#include "core/assertions.h"
#include "support/TRecordingPresenter.h"

TEST(ErrorReport, CatalogueTextsAndTitles) {
  TRecordingPresenter rec;
  TErrorReport::NameExists("A");
  TErrorReport::ProjectNameExists("f.zlf", "B");
  TErrorReport::CannotRead("x.zlf", "");
  TErrorReport::InputError("In X: bad.");
  TErrorReport::AssertionReport("a", "x", 7);
  TErrorReport::NotEnoughMemory();
  ASSERT_EQ(rec.Messages.size(), 6u);
  EXPECT_EQ(rec.Messages[0].Text, "A window with name \"A\" already exists.");
  EXPECT_EQ(rec.Messages[0].Title, "Error");
  // No full stop at the end of this one.
  EXPECT_EQ(rec.Messages[1].Text,
            "When opening file \"f.zlf\" from project, a window with name \"B\" already exists");
  EXPECT_EQ(rec.Messages[1].Title, "Error");
  EXPECT_EQ(rec.Messages[2].Text, "Cannot read the file: \"x.zlf\", ");
  EXPECT_EQ(rec.Messages[2].Title, "File Error");
  EXPECT_EQ(rec.Messages[2].Icon, TMsgIcon::Error);
  EXPECT_EQ(rec.Messages[3].Text, "In X: bad.");
  EXPECT_EQ(rec.Messages[3].Title, "Input Error");
  EXPECT_EQ(rec.Messages[4].Text, "In x line 7: Condition \"a\"failed!");
  EXPECT_EQ(rec.Messages[4].Title, "Assertion failed");
  EXPECT_EQ(rec.Messages[5].Text, "There is not enough memmory for this operation.");
  EXPECT_EQ(rec.Messages[5].Title, "System Error");
  EXPECT_EQ(TErrorReport::FieldEmptyText("Name"), "Name: Field should not be empty.");
}

TEST(ErrorReport, NonFatalCheckReportsAndGoesOn) {
  TRecordingPresenter rec;
  int x = 3;
  EXPECT_TRUE(ZCHECK(x == 3));
  EXPECT_TRUE(rec.Messages.empty());
  EXPECT_FALSE(ZCHECK_TEXT(x == 4, "version == \"1.0\""));
  ASSERT_EQ(rec.Messages.size(), 1u);
  EXPECT_EQ(rec.Messages[0].Title, "Assertion failed");
  EXPECT_NE(rec.Messages[0].Text.find("core/test_messages.cpp line"), std::string::npos)
      << rec.Messages[0].Text;
  EXPECT_NE(rec.Messages[0].Text.find(": Condition \"version == \"1.0\"\"failed!"),
            std::string::npos);
}

TEST(ErrorReportDeathTest, FatalAssertionNamesConditionAndEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  int x = 1;
  EXPECT_DEATH(ZASSERT(x == 2), "Assertion failed: x == 2, file .*test_messages.cpp, line");
}

TEST(ErrorReport, ShortSourceNameKeepsThePartBelowSrc) {
  EXPECT_STREQ(ShortSourceName("/a/src/b/src/core/x.cpp"), "core/x.cpp");
  EXPECT_STREQ(ShortSourceName("plain.cpp"), "plain.cpp");
}
