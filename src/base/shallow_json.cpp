#include "base/shallow_json.hpp"

#include <string>

#include "base/json_depth.hpp"

namespace sorvel {

Result<nlohmann::json> readShallowObject(std::string_view text, int maxDepth, std::string_view tooDeep) {
  if (!nestsWithin(text, maxDepth)) return Reason{std::string(tooDeep)};
  nlohmann::json parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) return Reason{"it is not valid JSON"};
  if (!parsed.is_object()) return Reason{"it does not hold a JSON object"};
  return parsed;
}

}  // namespace sorvel
