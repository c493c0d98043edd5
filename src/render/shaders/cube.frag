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
const vec3 kMarkStripe = vec3(0.010, 0.060, 0.085);  // the glaze, laid on thicker
const vec3 kCrossInk = vec3(0.020, 0.008, 0.006);

// 1 within `halfWidth` face units of the line where `d` is 0, blurred over a
// pixel (`aa`, the change of `d` across one) so thin lines hold at any size.
float band(float d, float halfWidth, float aa) {
  return 1.0 - smoothstep(halfWidth - aa, halfWidth + aa, abs(d));
}

// Diagonal stripes over the face, at `across` in -1..1 on both axes.
float markStripes(vec2 across, float aa) {
  const float period = 0.5;
  float s = (across.x + across.y) * 0.70710678 / period;
  return band((fract(s) - 0.5) * period, 0.13, aa);
}

// An X from corner to corner, short of the rounded edges.
float mistakeCross(vec2 across, float aa) {
  float arms = max(band((across.x - across.y) * 0.70710678, 0.1, aa),
                   band((across.x + across.y) * 0.70710678, 0.1, aa));
  float reach = max(abs(across.x), abs(across.y));
  return arms * (1.0 - smoothstep(0.66 - aa, 0.66 + aa, reach));
}

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

  if ((vClues.w & SORVEL_CUBE_DIMMED) != 0u) {
    // Closed: greyed and darker, as if the wood were still unfinished.
    float grey = dot(albedo, vec3(0.2126, 0.7152, 0.0722));
    albedo = mix(vec3(grey), albedo, 0.25) * 0.5;
  }
  float mark = clamp(vAnim.z, 0.0, 1.0);
  albedo = mix(albedo, albedo * 0.3 + kMarkPaint * 0.9, mark * 0.85);

  float time = u.params.x;
  bool inPlay = (vClues.w & SORVEL_CUBE_IN_PLAY) != 0u;
  uint code = vClues[axis];
  bool clued = inPlay && code != SORVEL_NO_CLUE && code < SORVEL_GLYPH_COUNT;
  float fade = clamp(u.params.y, 0.0, 1.0);
  vec2 glyph = vec2(0.0);
  if (clued) {
    uint columns = uint(SORVEL_GLYPH_COLUMNS);
    vec2 cell = vec2(float(code % columns), float(code / columns));
    vec2 uv = (cell + clamp(vUv, 0.0, 1.0)) / vec2(SORVEL_GLYPH_COLUMNS, SORVEL_GLYPH_ROWS);
    glyph = texture(glyphs, uv).rg;
  }

  // Derivatives are taken outside the branch, where every pixel of a quad
  // takes them.
  vec2 across = vec2(vLocal[(axis + 1) % 3], vLocal[(axis + 2) % 3]);
  float aa = max(fwidth(across.x), fwidth(across.y));
  float flash = clamp(vAnim.y, 0.0, 1.0);
  bool patterns = (vClues.w & SORVEL_CUBE_PATTERN_MARKS) != 0u;
  float crossInk = 0.0;
  if (patterns) {
    // The cross holds while the flash is strong, then goes with it; the
    // stripes give way to it meanwhile, and keep clear of the clue.
    float struck = smoothstep(0.0, 0.25, flash);
    crossInk = mistakeCross(across, aa) * struck;
    float stripes = markStripes(across, aa) * mark * (1.0 - struck) * (1.0 - glyph.g * fade);
    albedo = mix(albedo, kMarkStripe, stripes * 0.7);
  }

  if (clued) {
    albedo = mix(albedo, mix(albedo, kHalo, 0.55), glyph.g * 0.45 * fade * (1.0 - mark * 0.5));
    vec3 ink = mark > 0.5 ? vec3(0.9, 0.93, 0.92) : kInk;
    albedo = mix(albedo, ink, glyph.r * fade);
  }

  albedo = mix(albedo, kMistake, flash * 0.8);
  if (patterns) albedo = mix(albedo, kCrossInk, crossInk * 0.9);

  float occlusion = creaseOcclusion(axis, outward);
  vec3 colour = shade(albedo, normal, vWorld, occlusion, 0.12 + 0.1 * mark);

  float glow = max(vAnim.w, 0.0);
  colour += (albedo * 0.45 + vec3(0.14, 0.11, 0.07)) * glow;
  if ((vClues.w & SORVEL_CUBE_GUIDED) != 0u) {
    // The guide's cubes breathe with a warm light that gathers at their rims.
    float rim = smoothstep(0.55, 0.95, max(abs(across.x), abs(across.y)));
    float pulse = 0.5 + 0.5 * sin(time * 4.5);
    colour += kGuide * (0.18 + 0.22 * pulse) * (0.5 + 1.2 * rim);
  }
  colour += kMistake * flash * 0.35;
  // The cross stays dark: ink does not glow.
  if (patterns) colour -= kMistake * flash * 0.35 * crossInk;
  fragColour = vec4(toneMap(colour), 1.0);
}
