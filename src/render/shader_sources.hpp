#pragma once

// The GLSL sources of the renderer and the interface compositor, built into the binary from
// src/render/shaders so that the game never looks for shader files.
namespace sorvel::shaders {

extern const char* const common_glsl;
extern const char* const lighting_glsl;
extern const char* const cube_vert;
extern const char* const cube_frag;
extern const char* const obj_vert;
extern const char* const obj_frag;
extern const char* const floor_vert;
extern const char* const floor_frag;
extern const char* const shadow_cube_vert;
extern const char* const shadow_obj_vert;
extern const char* const overlay_vert;
extern const char* const overlay_frag;

}  // namespace sorvel::shaders
