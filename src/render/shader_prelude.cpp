#include "render/shader_prelude.hpp"

#include <cstdio>
#include <string_view>

#include "game/gpu_records.hpp"
#include "render/glyph_atlas.hpp"

namespace sorvel {
namespace {

void define(std::string& text, std::string_view name, long long value, std::string_view suffix = "") {
  text += "#define ";
  text += name;
  text += ' ';
  text += std::to_string(value);
  text += suffix;
  text += '\n';
}

// Nine significant digits bring a float back exactly.
void defineFloat(std::string& text, std::string_view name, float value) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.9g", static_cast<double>(value));
  std::string literal = digits;
  if (literal.find_first_of(".e") == std::string::npos) literal += ".0";
  text += "#define ";
  text += name;
  text += ' ';
  text += literal;
  text += '\n';
}

}  // namespace

std::string shaderPrelude(bool remapDepth) {
  std::string text = "#version 330 core\n";
  define(text, "SORVEL_REMAP_DEPTH", remapDepth ? 1 : 0);
  defineFloat(text, "SORVEL_CUBE_HALF", kCubeHalf);

  define(text, "SORVEL_NO_CLUE", kNoClue, "u");
  define(text, "SORVEL_CUBE_IN_PLAY", kCubeInPlay, "u");
  define(text, "SORVEL_CUBE_GUIDED", kCubeGuided, "u");
  define(text, "SORVEL_CUBE_PATTERN_MARKS", kCubePatternMarks, "u");
  define(text, "SORVEL_CUBE_DIMMED", kCubeDimmed, "u");
  define(text, "SORVEL_NEIGHBOUR_STRIDE_X", kNeighbourStrideX);
  define(text, "SORVEL_NEIGHBOUR_STRIDE_Y", kNeighbourStrideY);
  define(text, "SORVEL_NEIGHBOUR_STRIDE_Z", kNeighbourStrideZ);
  define(text, "SORVEL_FACE_NEIGHBOURS", kFaceNeighbours, "u");

  define(text, "SORVEL_GLYPH_COLUMNS", glyph_atlas::kColumns);
  define(text, "SORVEL_GLYPH_ROWS", glyph_atlas::kRows);
  define(text, "SORVEL_GLYPH_COUNT", glyph_atlas::kGlyphs, "u");

  define(text, "SORVEL_ATTR_POSITION", attribute::kPosition);
  define(text, "SORVEL_ATTR_NORMAL", attribute::kNormal);
  define(text, "SORVEL_ATTR_UV", attribute::kUv);
  define(text, "SORVEL_ATTR_FACE", attribute::kFace);
  define(text, "SORVEL_ATTR_CUBE_POS_SCALE", attribute::kCubePosScale);
  define(text, "SORVEL_ATTR_CUBE_CLUES", attribute::kCubeClues);
  define(text, "SORVEL_ATTR_CUBE_ANIM", attribute::kCubeAnim);
  define(text, "SORVEL_ATTR_CUBE_NBR", attribute::kCubeNbr);
  define(text, "SORVEL_ATTR_CUBE_ORIGIN", attribute::kCubeOrigin);
  define(text, "SORVEL_ATTR_OBJECT_MODEL", attribute::kObjectModel);
  define(text, "SORVEL_ATTR_OBJECT_COLOUR", attribute::kObjectColour);
  define(text, "SORVEL_ATTR_OBJECT_EXTRA", attribute::kObjectExtra);
  return text;
}

}  // namespace sorvel
