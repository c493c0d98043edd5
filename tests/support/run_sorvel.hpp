#pragma once

// Starts the real executable as a player would, with its own data folder and
// resources and no display, and keeps its exit status and what it printed.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.hpp"

namespace sorvel::test {

struct SorvelRun {
  int status = -1;
  std::string out, err;
};

// The shell command that runs it, with what it prints going to scratch's
// "out" and "err"; `folder`: where it runs, when not where the test does.
inline std::string sorvelCommand(const std::string& executable, const std::string& args, const TempDir& scratch,
                                 const std::filesystem::path& resources, const std::filesystem::path& folder) {
  // No display: these runs are headless, whatever the tests run beside.
  return (folder.empty() ? "" : "cd '" + folder.string() + "' && ") +
         "exec env DISPLAY= WAYLAND_DISPLAY= SDL_VIDEODRIVER=x11 XDG_STATE_HOME='" + (scratch / "state").string() +
         "' SORVEL_DATA_DIR='" + (scratch / "data").string() + "' SORVEL_RESOURCES='" + resources.string() + "' '" +
         executable + "' " + args + " >'" + (scratch / "out").string() + "' 2>'" + (scratch / "err").string() + "'";
}

inline SorvelRun runSorvel(const std::string& executable, const std::string& args, const TempDir& scratch,
                           const std::filesystem::path& resources = fixtureResources(),
                           const std::filesystem::path& folder = {}) {
  const int status = std::system(sorvelCommand(executable, args, scratch, resources, folder).c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(scratch / "out"), readFile(scratch / "err")};
}

// Starts it without waiting, for the test to signal it; its id, or -1.
inline pid_t startSorvel(const std::string& executable, const std::string& args, const TempDir& scratch,
                         const std::filesystem::path& resources = fixtureResources()) {
  const std::string command = sorvelCommand(executable, args, scratch, resources, {});
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  pid_t pid = -1;
  return posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) == 0 ? pid : -1;
}

}  // namespace sorvel::test
