#include "base/message_sink.hpp"

namespace sorvel {

MessageSink linesTo(std::FILE* stream) {
  return [stream](const std::string& line) {
    std::fprintf(stream, "%s\n", line.c_str());
    std::fflush(stream);
  };
}

}  // namespace sorvel
