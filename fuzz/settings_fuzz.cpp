// The settings file is the player's progress; it may be cut short, edited by
// hand or damaged. Whatever it holds, reading it must either give an object
// the store can use or a reason to set the file aside, and what the store
// writes back at the next save must read again as the same values.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/settings_store.hpp"
#include "fuzz_support.hpp"

using namespace sorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<nlohmann::json> decoded = decodeSettings(fuzz::text(data, size));
  if (!decoded) return 0;
  fuzz::require(decoded->is_object(), "accepted settings are an object");

  // As the store writes them at every save.
  const std::string saved = decoded->dump(1, '\t', false, nlohmann::json::error_handler_t::replace) + "\n";
  const Result<nlohmann::json> again = decodeSettings(saved);
  fuzz::require(again.ok(), "saved settings read back");
  fuzz::require(*again == *decoded, "saved settings read back unchanged");
  return 0;
}
