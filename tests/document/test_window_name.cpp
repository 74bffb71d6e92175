// The one rule for the names of windows.
#include <utility>

#include <gtest/gtest.h>

#include "document/windowname.h"

TEST(WindowName, TypedTextBecomesANameThatAProjectGivesBackEqual) {
  const std::pair<const char*, const char*> rows[] = {
      {"Fractal_1", "Fractal_1"}, {"  spaced out  ", "spaced out"}, {"   ", ""},
      {"", ""},                   {"\t\r\nX\n", "X"},                {"a\tb\nc", "a b c"},
  };
  for (const auto& [text, name] : rows) EXPECT_EQ(WindowNameFromText(text), name) << text;
}
