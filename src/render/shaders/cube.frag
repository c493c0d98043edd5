in vec3 vWorld;
in vec3 vNormal;
in vec2 vUv;
in vec3 vLocal;
in vec3 vInBlock;
flat in int vFace;
flat in uvec4 vClues;
flat in vec4 vAnim;
flat in uvec4 vNbr;

uniform sampler2D glyphs;

out vec4 fragColour;

const vec3 kWoodLight = vec3(0.80, 0.60, 0.37);
const vec3 kWoodDark = vec3(0.60, 0.40, 0.21);
const vec3 kInk = vec3(0.0242, 0.0176, 0.0137);   // #2B241F
const vec3 kHalo = vec3(0.95, 0.90, 0.80);
const vec3 kMarkPaint = vec3(0.05, 0.30, 0.42);   // a clear blue-green glaze
const vec3 kMistake = vec3(0.75, 0.08, 0.04);
const vec3 kGuide = vec3(1.0, 0.78, 0.32);

bool hasNeighbour(ivec3 d) {
  if (d == ivec3(0)) return false;
  int bit = SORVEL_NEIGHBOUR_STRIDE_X * (d.x + 1) + SORVEL_NEIGHBOUR_STRIDE_Y * (d.y + 1) +
            SORVEL_NEIGHBOUR_STRIDE_Z * (d.z + 1);
  return (vNbr.x & (1u << uint(bit))) != 0u;
}

// How much sky reaches this point of the face: the face is darkened near an
// edge where a neighbour stands in front of it (an inner corner) and, less,
// where a neighbour sits flush beside it (the groove between two cubes).
float creaseOcclusion(int axis, int outward) {
  ivec3 n = ivec3(0);
  n[axis] = outward;
  float occlusion = 1.0;
  for (int t = 0; t < 3; ++t) {
    if (t == axis) continue;
    for (int s = -1; s <= 1; s += 2) {
      ivec3 d = ivec3(0);
      d[t] = s;
      float towards = clamp(vLocal[t] * float(s), 0.0, 1.0);
      float nearEdge = smoothstep(0.45, 1.0, towards);
      if (hasNeighbour(n + d)) occlusion -= 0.42 * nearEdge * nearEdge;
      else if (hasNeighbour(d)) occlusion -= 0.16 * pow(nearEdge, 4.0);
    }
  }
  return clamp(occlusion, 0.35, 1.0);
}

void main() {
  int axis = vFace / 2;
  int outward = (vFace % 2 == 0) ? 1 : -1;
  vec3 normal = normalize(vNormal);
  float seed = float(vNbr.y);

  vec3 albedo = wood(vInBlock, seed, kWoodLight, kWoodDark);
  // Each cube a shade apart, as if cut from slightly different boards.
  albedo *= 0.94 + 0.1 * hash13(floor(vInBlock) + seed);

  float mark = clamp(vAnim.z, 0.0, 1.0);
  albedo = mix(albedo, albedo * 0.3 + kMarkPaint * 0.9, mark * 0.85);

  float time = u.params.x;
  bool inPlay = (vClues.w & SORVEL_CUBE_IN_PLAY) != 0u;
  uint code = vClues[axis];
  if (inPlay && code != SORVEL_NO_CLUE && code < SORVEL_GLYPH_COUNT) {
    uint columns = uint(SORVEL_GLYPH_COLUMNS);
    vec2 cell = vec2(float(code % columns), float(code / columns));
    vec2 uv = (cell + clamp(vUv, 0.0, 1.0)) / vec2(SORVEL_GLYPH_COLUMNS, SORVEL_GLYPH_ROWS);
    vec2 glyph = texture(glyphs, uv).rg;
    float fade = clamp(u.params.y, 0.0, 1.0);
    albedo = mix(albedo, mix(albedo, kHalo, 0.55), glyph.g * 0.45 * fade * (1.0 - mark * 0.5));
    vec3 ink = mark > 0.5 ? vec3(0.9, 0.93, 0.92) : kInk;
    albedo = mix(albedo, ink, glyph.r * fade);
  }

  float flash = clamp(vAnim.y, 0.0, 1.0);
  albedo = mix(albedo, kMistake, flash * 0.8);

  float occlusion = creaseOcclusion(axis, outward);
  vec3 colour = shade(albedo, normal, vWorld, occlusion, 0.12 + 0.1 * mark);

  float glow = max(vAnim.w, 0.0);
  colour += (albedo * 0.45 + vec3(0.14, 0.11, 0.07)) * glow;
  if ((vClues.w & SORVEL_CUBE_GUIDED) != 0u) {
    // The guide's cubes breathe with a warm light that gathers at their rims.
    vec2 across = vec2(vLocal[(axis + 1) % 3], vLocal[(axis + 2) % 3]);
    float rim = smoothstep(0.55, 0.95, max(abs(across.x), abs(across.y)));
    float pulse = 0.5 + 0.5 * sin(time * 4.5);
    colour += kGuide * (0.18 + 0.22 * pulse) * (0.5 + 1.2 * rim);
  }
  colour += kMistake * flash * 0.35;
  fragColour = vec4(toneMap(colour), 1.0);
}
