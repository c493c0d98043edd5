#include "base/json_depth.hpp"

#include <nlohmann/json.hpp>

namespace sorvel {

namespace {

using nlohmann::json;

class DepthCheck final : public nlohmann::json_sax<json> {
 public:
  explicit DepthCheck(int maxDepth) : maxDepth_(maxDepth) {}
  bool tooDeep = false;

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool key(string_t&) override { return true; }
  bool start_object(std::size_t) override { return open(); }
  bool start_array(std::size_t) override { return open(); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool open() {
    tooDeep = ++depth_ > maxDepth_;
    return !tooDeep;
  }
  bool close() {
    --depth_;
    return true;
  }
  int maxDepth_;
  int depth_ = 0;
};

}  // namespace

bool nestsWithin(std::string_view text, int maxDepth) {
  DepthCheck check(maxDepth);
  json::sax_parse(text, &check);
  return !check.tooDeep;
}

}  // namespace sorvel
