#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "app/launch_options.hpp"
#include "app/startup.hpp"
#include "base/language.hpp"
#include "base/settings_store.hpp"
#include "base/signal_flush.hpp"

int main(int argc, char** argv) {
  using namespace sorvel;
  // Before any thread exists, so that only the flush thread hears interrupts.
  SignalFlush::blockInThisThread();

  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const Result<CommandLine> commandLine = parseCommandLine(args);
  if (!commandLine) {
    std::fprintf(stderr, "sorvel: %s\nTry 'sorvel --help' for the list of options.\n", commandLine.why().c_str());
    return 2;
  }
  switch (commandLine->action) {
    case CommandLine::Action::help:
      std::fputs(helpText().c_str(), stdout);
      return 0;
    case CommandLine::Action::version:
      std::printf("sorvel %s\n", SORVEL_VERSION);
      return 0;
    case CommandLine::Action::run:
      break;
  }

  // The catalogue is opened whatever the language, since the player may pick
  // English in the settings; gettext's locale must be set before threads start.
  if (const auto dir = catalogueDir()) {
    if (auto problem = openCatalogue(*dir)) std::fprintf(stderr, "sorvel: %s\n", problem->c_str());
  }
  const LaunchRequest request = readLaunchRequest(commandLine->options, [](const char* name) {
    return static_cast<const char*>(std::getenv(name));
  });
  SettingsStore store(settingsOptionsFor(request));
  // An interrupt must not lose the progress still on its way to disk, nor
  // the play time since the last carve: the game saves it as it would when
  // its window is closed, if it answers within a moment.
  QuitRequest quit;
  SignalFlush flushOnInterrupt([&store, &quit](int) {
    if (quit.request()) quit.waitUntilDone(std::chrono::seconds(2));
    store.flush();
  });
  const int status = startApplication(request, store, quit);
  store.flush();
  return status;
}
