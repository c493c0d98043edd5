#include "app/launch_options.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sorvel {
namespace {

using Action = CommandLine::Action;
using ::testing::HasSubstr;

Result<CommandLine> parse(std::initializer_list<std::string_view> args) {
  return parseCommandLine(std::span<const std::string_view>(args.begin(), args.size()));
}

TEST(LaunchOptions, BothSpellingsGiveTheSameOptions) {
  const Result<CommandLine> line = parse({"-sorvelStill", "a.png", "--size", "800x600", "--cam=0.3,0.4,1.2",
                                          "--reset", "-sorvelWait", "0.5", "--demo", "play 1"});
  ASSERT_TRUE(line.ok()) << line.why();
  EXPECT_EQ(line->action, Action::run);
  EXPECT_EQ(line->options, (OptionTexts{{"sorvelStill", "a.png"},
                                        {"sorvelSize", "800x600"},
                                        {"sorvelCam", "0.3,0.4,1.2"},
                                        {"sorvelReset", "YES"},
                                        {"sorvelWait", "0.5"},
                                        {"sorvelDemo", "play 1"}}));
  EXPECT_TRUE(parse({})->options.empty());
  // The last of a repeated option wins; a value may look like an option.
  EXPECT_EQ(parse({"--still", "a.png", "-sorvelStill", "b.png"})->options.at("sorvelStill"), "b.png");
  EXPECT_EQ(parse({"--spin", "-1.5"})->options.at("sorvelSpin"), "-1.5");
  EXPECT_EQ(parse({"-sorvelReset", "NO"})->options.at("sorvelReset"), "NO");
}

TEST(LaunchOptions, HelpAndVersionWinOverEverythingElse) {
  EXPECT_EQ(parse({"--still", "a.png", "--help"})->action, Action::help);
  EXPECT_EQ(parse({"-h"})->action, Action::help);
  EXPECT_EQ(parse({"--version"})->action, Action::version);
  const std::string help = helpText();
  for (const LaunchOption& option : kLaunchOptions) {
    EXPECT_THAT(help, HasSubstr(std::string(option.longName)));
  }
  EXPECT_THAT(help, HasSubstr("settings.json"));
}

TEST(LaunchOptions, MistakesAreRefusedNamingTheOption) {
  const struct {
    std::initializer_list<std::string_view> args;
    const char* complaint;
  } cases[] = {
      {{"--stil", "a.png"}, "'--stil'"},
      {{"-sorvelStil", "a.png"}, "'-sorvelStil'"},
      {{"-still", "a.png"}, "'-still'"},
      {{"--still"}, "'--still' needs a value"},
      {{"-sorvelDemo"}, "'-sorvelDemo' needs a value"},
      {{"--reset=yes"}, "'--reset' takes no value"},
      {{"a.png"}, "'a.png'"},
      {{"--lang", "fr"}, "unknown language 'fr' for --lang (es or en)"},
      {{"-sorvelLang", "EN"}, "unknown language 'EN'"},
  };
  for (const auto& c : cases) {
    const Result<CommandLine> line = parse(c.args);
    ASSERT_FALSE(line.ok()) << c.complaint;
    EXPECT_THAT(line.why(), HasSubstr(c.complaint));
  }
}

}  // namespace
}  // namespace sorvel
