#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace sorvel {

// Where a part of the program reports trouble it carries on through: one line
// at a time, without its newline. Whoever builds the part picks the stream,
// so the game, the renderer and the sound never write to one themselves.
using MessageSink = std::function<void(const std::string&)>;

// Each line onto `stream`, flushed at once so that it lands in order with
// what the other stream says.
MessageSink linesTo(std::FILE* stream);

}  // namespace sorvel
