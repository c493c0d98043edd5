#pragma once

// When each part of a figure's reveal happens, in seconds since the last
// surplus cube was carved. Game::revealT counts this time.
namespace sorvel::reveal {

inline constexpr float kNone = -1;       // no reveal under way
inline constexpr float kLongOver = 100;  // a block opened already solved
inline constexpr float kOver = 50;       // the clock stops here

// A band of light climbs through the block.
inline constexpr float kLightBand = 0.55f;
// The figure's cubes pop from the top layer down, each layer a little later,
// with a jitter of up to kPopJitter per cube.
inline constexpr float kFirstPop = 0.55f;
inline constexpr float kPopPerLayer = 0.075f;
inline constexpr float kPopJitter = 0.18f;
constexpr float popStart(int layersAbove) { return static_cast<float>(layersAbove) * kPopPerLayer + kFirstPop; }

inline constexpr float kSolvedSound = 0.55f;
inline constexpr float kFigureShows = 0.5f;
// The figure bounces once, a while after the bottom layer has popped.
inline constexpr float kBounceDelay = 0.35f;
inline constexpr float kBounceLength = 0.5f;
inline constexpr float kSpinFrom = 2.2f;
inline constexpr float kCard = 2.3f;
inline constexpr float kCubesGone = 4;

}  // namespace sorvel::reveal
