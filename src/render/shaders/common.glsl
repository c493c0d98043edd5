// Shared by every stage: the per-frame block, laid out exactly as the
// game's Uniforms record (std140 needs no padding for it).
layout(std140) uniform FrameBlock {
  mat4 viewProj;
  mat4 lightViewProj;
  vec4 camPos;
  vec4 lightDir;  // from the scene towards the light
  vec4 bg;        // linear RGB
  vec4 params;    // time, clue fade, 0.92, shadow map size
} u;

// The matrices map depth to [0, 1]. Where the driver cannot be told so, the
// vertex stages move it to GL's default [-1, 1] themselves.
vec4 clipFromMatrix(vec4 p) {
#if SORVEL_REMAP_DEPTH
  p.z = 2.0 * p.z - p.w;
#endif
  return p;
}
