#pragma once

namespace sorvel {

// How a frame is drawn. `full` is the picture of record (stills, films, the
// window at rest): 4x multisampled with every shading detail. `quick` is for
// a renderer drawing on the CPU while the scene moves: one sample a pixel,
// a shadow map a quarter the size read with four taps, and the plainest
// cube.
enum class DrawQuality { full, quick };

}  // namespace sorvel
