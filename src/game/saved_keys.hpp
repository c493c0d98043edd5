#pragma once

#include <string>
#include <string_view>

// Every key the game saves progress under. Players' files hold these exact
// strings: renaming one loses that part of everyone's progress.
namespace sorvel::saved_keys {

inline constexpr std::string_view kSolved = "sorvel.solved";        // ids of the blocks solved
inline constexpr std::string_view kLaunched = "sorvel.launched";    // past the first start
inline constexpr std::string_view kTutorialSeen = "sorvel.tutorialSeen";
inline constexpr std::string_view kShownChapter = "sorvel.chapter";  // id of the chapter last on the table

// The player's preferences live under this prefix. They are not progress:
// erasing progress from inside the game keeps every key that begins with it.
inline constexpr std::string_view kPreferencesPrefix = "sorvel.prefs.";

// One block's progress, under its id.
inline std::string cells(std::string_view id) { return "sorvel.state." + std::string(id); }
inline std::string mistakes(std::string_view id) { return "sorvel.mistakes." + std::string(id); }
inline std::string playTime(std::string_view id) { return "sorvel.time." + std::string(id); }

}  // namespace sorvel::saved_keys
