// Shared by every stage: the per-frame block, laid out exactly as the
// game's Uniforms record (std140 needs no padding for it).
layout(std140) uniform FrameBlock {
  mat4 viewProj;
  mat4 lightViewProj;
  vec4 camPos;
  vec4 lightDir;  // from the scene towards the light
  vec4 bg;        // linear RGB
  vec4 params;    // time, clue fade, 0.92, shadow map size
  vec4 shadowCasters;  // map rectangle holding every caster: min xy, max xy
} u;

// The matrices map depth to [0, 1]. Where the driver cannot be told so, the
// vertex stages move it to GL's default [-1, 1] themselves.
vec4 clipFromMatrix(vec4 p) {
#if SORVEL_REMAP_DEPTH
  p.z = 2.0 * p.z - p.w;
#endif
  return p;
}

// Inside the block in play, a cube with all six neighbours present and still
// (the third lane) cannot be seen. Blocks on the table count carved
// neighbours as present, so only the block in play (flag bit 0) can be
// trusted with this.
bool cubeIsHidden(uvec4 clues, uvec4 nbr) {
  return (clues.w & SORVEL_CUBE_IN_PLAY) != 0u && (nbr.z & SORVEL_FACE_NEIGHBOURS) == SORVEL_FACE_NEIGHBOURS;
}
