#include "app/launch_options.hpp"

#include <algorithm>

#include "base/language.hpp"

namespace sorvel {

namespace {

const LaunchOption* byName(std::string_view name) {
  for (const LaunchOption& option : kLaunchOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

const LaunchOption* byLongName(std::string_view longName) {
  for (const LaunchOption& option : kLaunchOptions) {
    if (option.longName == longName) return &option;
  }
  return nullptr;
}

}  // namespace

Result<CommandLine> parseCommandLine(std::span<const std::string_view> args) {
  CommandLine result;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") return CommandLine{.action = CommandLine::Action::help};
    if (arg == "--version") return CommandLine{.action = CommandLine::Action::version};

    if (arg.starts_with("--")) {
      const size_t equals = arg.find('=');
      const std::string_view key = arg.substr(0, equals);
      const LaunchOption* option = byLongName(key);
      if (option == nullptr) return Reason{"unknown option '" + std::string(arg) + "'"};
      if (option->argument.empty()) {
        if (equals != std::string_view::npos) {
          return Reason{"option '" + std::string(key) + "' takes no value"};
        }
        result.options[std::string(option->name)] = "YES";
      } else if (equals != std::string_view::npos) {
        result.options[std::string(option->name)] = std::string(arg.substr(equals + 1));
      } else if (i + 1 < args.size()) {
        result.options[std::string(option->name)] = std::string(args[++i]);
      } else {
        return Reason{"option '" + std::string(key) + "' needs a value (" + std::string(option->argument) + ")"};
      }
      continue;
    }

    if (arg.starts_with("-") && arg.size() > 1) {
      const LaunchOption* option = byName(arg.substr(1));
      if (option == nullptr) return Reason{"unknown option '" + std::string(arg) + "'"};
      if (i + 1 >= args.size()) {
        return Reason{"option '" + std::string(arg) + "' needs a value"};
      }
      result.options[std::string(option->name)] = std::string(args[++i]);
      continue;
    }

    return Reason{"unexpected argument '" + std::string(arg) + "'"};
  }
  if (const auto lang = result.options.find(option::kLang);
      lang != result.options.end() && !languageFromCode(lang->second)) {
    return Reason{"unknown language '" + lang->second + "' for --lang (es or en)"};
  }
  return result;
}

std::string helpText() {
  std::string text =
      "Usage: sorvel [OPTION]...\n"
      "Carve wooden blocks down to the figures hidden inside them.\n"
      "\n"
      "Options (each also as -sorvelName VALUE, e.g. -sorvelStill out.png):\n";
  size_t width = 0;
  for (const LaunchOption& option : kLaunchOptions) {
    width = std::max(width, option.longName.size() + 1 + option.argument.size());
  }
  for (const LaunchOption& option : kLaunchOptions) {
    std::string left = std::string(option.longName);
    if (!option.argument.empty()) left += " " + std::string(option.argument);
    left.resize(width, ' ');
    text += "  " + left + "  " + std::string(option.help) + "\n";
  }
  std::string help = "--help";
  help.resize(width, ' ');
  std::string version = "--version";
  version.resize(width, ' ');
  text += "  " + help + "  show this help and exit\n";
  text += "  " + version + "  show the version and exit\n";
  text +=
      "\n"
      "Progress is saved in $XDG_DATA_HOME/sorvel/settings.json\n"
      "(~/.local/share/sorvel/ by default; $SORVEL_DATA_DIR overrides the folder).\n";
  return text;
}

}  // namespace sorvel
