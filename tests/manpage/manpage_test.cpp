#include "manpage/manpage.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sorvel::manpage {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(ManPage, TextReachesTheReaderAsWritten) {
  // A bare hyphen may be set as a typographic one and broken at the end of a
  // line; an option copied from the page must type back.
  EXPECT_EQ(roffText("--ui-scale"), "\\-\\-ui\\-scale");
  EXPECT_EQ(roffText("C:\\path"), "C:\\epath");
  // A line starting with a dot or a quote would be read as a request, and
  // vanish or break the page; elsewhere they are plain text.
  EXPECT_EQ(roffText(".5 seconds"), "\\&.5 seconds");
  EXPECT_EQ(roffText("'quoted'"), "\\&'quoted'");
  EXPECT_EQ(roffText("wait 0.5 s, 'yes'"), "wait 0.5 s, 'yes'");
  // An entry is one paragraph: no new line can start a request inside it.
  EXPECT_EQ(roffText("one\n.two"), "one .two");
}

TEST(ManPage, EachOptionHasBothSpellingsAndItsHelp) {
  constexpr LaunchOption options[] = {
      {"sorvelStill", "--still", "PATH", "render one still picture"},
      {"sorvelUI", "--ui", "", "draw the interface over the still."},
  };
  const std::string entries = optionEntries(options);
  EXPECT_THAT(entries, HasSubstr(".TP\n\\fB\\-\\-still\\fR \\fIPATH\\fR, \\fB\\-sorvelStill\\fR \\fIPATH\\fR\n"
                                 "Render one still picture.\n"));
  // A switch takes no value in its GNU spelling, but the short one reads one.
  EXPECT_THAT(entries, HasSubstr(".TP\n\\fB\\-\\-ui\\fR, \\fB\\-sorvelUI\\fR \\fIYES\\fR\n"
                                 "Draw the interface over the still.\n"));
  EXPECT_THAT(entries, Not(HasSubstr("still..")));
  // The two the parser answers without the table come last.
  EXPECT_THAT(entries, HasSubstr(".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\n"));
  EXPECT_THAT(entries, HasSubstr(".TP\n\\fB\\-\\-version\\fR\n"));
  EXPECT_LT(entries.find("sorvelUI"), entries.find("\\-\\-help"));
  EXPECT_THAT(optionEntries({}), HasSubstr("\\-\\-version"));
}

TEST(ManPage, TheGameTablesEveryOptionGoesIn) {
  const std::string entries = optionEntries(kLaunchOptions);
  for (const LaunchOption& option : kLaunchOptions) {
    EXPECT_THAT(entries, HasSubstr("\\fB" + roffText(option.longName) + "\\fR")) << option.longName;
    EXPECT_THAT(entries, HasSubstr("\\fB\\-" + std::string(option.name) + "\\fR")) << option.name;
  }
}

TEST(ManPage, MarkersAreFilledOnceEachOrThePageIsRefused) {
  const std::map<std::string, std::string> fields = {{"OPTIONS", "(the options)"}, {"VERSION", "1.2.3"}};
  const Result<std::string> page = fillPage("sorvel @VERSION@\nwrite to me@host.org\n@OPTIONS@\nend", fields);
  ASSERT_TRUE(page.ok()) << page.why();
  // An '@' of the text, as in an address, stays.
  EXPECT_EQ(*page, "sorvel 1.2.3\nwrite to me@host.org\n(the options)\nend");

  const Result<std::string> unknown = fillPage("@VERSION@ @OPTIONS@ @DATE@", fields);
  ASSERT_FALSE(unknown.ok());
  EXPECT_THAT(unknown.why(), HasSubstr("@DATE@"));
  // The options left out of the page by a renamed marker.
  const Result<std::string> missing = fillPage("@VERSION@ @OPTION@", {{"VERSION", "1"}, {"OPTIONS", "x"}});
  ASSERT_FALSE(missing.ok());
  EXPECT_THAT(missing.why(), HasSubstr("@OPTION@"));
  const Result<std::string> unfilled = fillPage("@VERSION@ only", fields);
  ASSERT_FALSE(unfilled.ok());
  EXPECT_THAT(unfilled.why(), HasSubstr("no marker @OPTIONS@"));
  // Mentioned in a comment as well, the options would land in the comment.
  const Result<std::string> twice = fillPage(".\\\" fills @OPTIONS@\n@VERSION@\n@OPTIONS@", fields);
  ASSERT_FALSE(twice.ok());
  EXPECT_THAT(twice.why(), HasSubstr("@OPTIONS@ twice"));
}

}  // namespace
}  // namespace sorvel::manpage
