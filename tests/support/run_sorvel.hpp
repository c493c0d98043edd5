#pragma once

// Starts the real executable as a player would, with its own data folder and
// resources and no display, and keeps its exit status and what it printed.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.hpp"

namespace sorvel::test {

struct SorvelRun {
  int status = -1;
  std::string out, err;
};

// `folder`: where it runs, when not where the test does.
inline SorvelRun runSorvel(const std::string& executable, const std::string& args, const TempDir& scratch,
                           const std::filesystem::path& resources = fixtureResources(),
                           const std::filesystem::path& folder = {}) {
  // No display: these runs are headless, whatever the tests run beside.
  const std::string command = (folder.empty() ? "" : "cd '" + folder.string() + "' && ") + "DISPLAY= WAYLAND_DISPLAY= SDL_VIDEODRIVER=x11 XDG_STATE_HOME='" +
                              (scratch / "state").string() + "' SORVEL_DATA_DIR='" + (scratch / "data").string() +
                              "' SORVEL_RESOURCES='" +
                              resources.string() + "' '" + executable + "' " + args + " >'" +
                              (scratch / "out").string() + "' 2>'" + (scratch / "err").string() + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(scratch / "out"), readFile(scratch / "err")};
}

}  // namespace sorvel::test
