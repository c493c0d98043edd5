// Fragment-side helpers: the light, soft shadows and the wood.
uniform sampler2DShadow shadowMap;

const vec3 kSun = vec3(1.0, 0.93, 0.82) * 2.35;
const vec3 kSky = vec3(0.58, 0.62, 0.68);
const float kAmbient = 0.62;

vec3 lightVector() { return normalize(u.lightDir.xyz); }

// A fixed disc of taps, each a hardware-filtered 2x2 comparison, gives
// penumbrae a few texels wide without visible banding.
const vec2 kDisc[12] = vec2[](
  vec2(-0.326, -0.406), vec2(-0.840, -0.074), vec2(-0.696, 0.457), vec2(-0.203, 0.621),
  vec2(0.962, -0.195), vec2(0.473, -0.480), vec2(0.519, 0.767), vec2(0.185, -0.893),
  vec2(0.507, 0.064), vec2(0.896, 0.412), vec2(-0.322, -0.933), vec2(-0.792, -0.598));

float shadowAt(vec3 world, vec3 normal) {
  // The area's half-extent: the map's x is (world . first row of the view
  // rotation) / r, so that row's length is 1 / r.
  mat4 m = u.lightViewProj;
  float radius = 1.0 / length(vec3(m[0][0], m[1][0], m[2][0]));
  float texel = 2.0 * radius / u.params.w;
  float facing = clamp(dot(normal, lightVector()), 0.0, 1.0);
  // Looking up a little off the surface keeps flat faces from shadowing
  // themselves without the light leaking under contacts.
  vec3 p = world + normal * texel * (1.5 + 3.0 * (1.0 - facing));
  vec4 lp = u.lightViewProj * vec4(p, 1.0);
  vec3 s = lp.xyz / lp.w;
  s.xy = s.xy * 0.5 + 0.5;
  if (s.x <= 0.0 || s.y <= 0.0 || s.x >= 1.0 || s.y >= 1.0 || s.z >= 1.0) return 1.0;
  // The penumbra has a fixed width in the world, whatever area the map covers.
  vec2 step = vec2(max(0.07 / (2.0 * radius), 1.5 / u.params.w));
  // Every tap, with the texel its filter reaches beyond, would read the
  // cleared map outside the casters' rectangle: lit, so they need not be made.
  vec2 reach = step + 1.0 / u.params.w;
  if (any(lessThan(s.xy + reach, u.shadowCasters.xy)) || any(greaterThan(s.xy - reach, u.shadowCasters.zw))) {
    return 1.0;
  }
  // Four taps first: where they agree the point is fully lit or fully in
  // shadow, as most of the picture is, and the other eight are not needed.
  float lit = 0.0;
  for (int i = 0; i < 4; ++i) lit += texture(shadowMap, vec3(s.xy + kDisc[i * 3] * step, s.z - 0.0004));
#ifdef SORVEL_QUICK
  // A moving picture's penumbrae need not be smooth.
  return lit * 0.25;
#else
  if (lit == 0.0 || lit == 4.0) return lit * 0.25;
  for (int i = 0; i < 12; ++i) {
    if (i % 3 != 0) lit += texture(shadowMap, vec3(s.xy + kDisc[i] * step, s.z - 0.0004));
  }
  return lit / 12.0;
#endif
}

// Sun, sky and a little varnish. `occlusion` darkens the sky light in
// creases, and the sun a little less.
vec3 shade(vec3 albedo, vec3 normal, vec3 world, float occlusion, float gloss) {
  vec3 l = lightVector();
  vec3 v = normalize(u.camPos.xyz - world);
  float facing = dot(normal, l);
  float shadow = facing > 0.0 ? shadowAt(world, normal) : 0.0;
  float direct = max(facing, 0.0) * shadow;
  vec3 ground = u.bg.rgb * 0.7;
  vec3 ambient = mix(ground, kSky, normal.y * 0.5 + 0.5) * kAmbient;
  vec3 h = normalize(l + v);
  float specular = pow(max(dot(normal, h), 0.0), 40.0) * gloss * direct;
  return albedo * (ambient * occlusion + kSun * direct * mix(0.55, 1.0, occlusion)) + kSun * specular;
}

// Soft roll-off instead of clipping, so sunlit pale wood keeps its grain.
vec3 toneMap(vec3 c) {
  return c / (1.0 + 0.18 * max(max(c.r, c.g), c.b));
}

float hash13(vec3 p) {
  p = fract(p * 0.1031);
  p += dot(p, p.zyx + 31.32);
  return fract((p.x + p.y) * p.z);
}

float valueNoise(vec3 p) {
  vec3 i = floor(p);
  vec3 f = fract(p);
  f = f * f * (3.0 - 2.0 * f);
  float a = mix(mix(hash13(i), hash13(i + vec3(1, 0, 0)), f.x),
                mix(hash13(i + vec3(0, 1, 0)), hash13(i + vec3(1, 1, 0)), f.x), f.y);
  float b = mix(mix(hash13(i + vec3(0, 0, 1)), hash13(i + vec3(1, 0, 1)), f.x),
                mix(hash13(i + vec3(0, 1, 1)), hash13(i + vec3(1, 1, 1)), f.x), f.y);
  return mix(a, b, f.z);
}

// Growth rings around a trunk running along z, wobbled by noise, so a block
// reads as one piece of timber and each block as a different piece.
vec3 wood(vec3 p, float seed, vec3 light, vec3 dark) {
  vec3 q = p + vec3(seed * 7.31, seed * 3.17, seed * 5.43);
  vec2 trunk = vec2(-3.0 - fract(seed * 0.618) * 6.0, -4.0 - fract(seed * 0.414) * 5.0);
  float wobble = valueNoise(q * vec3(0.9, 0.9, 0.25)) * 1.6 + valueNoise(q * 3.1) * 0.25;
  float rings = length(q.xy - trunk) * 1.7 + wobble;
  float band = smoothstep(0.0, 0.35, fract(rings)) * (1.0 - smoothstep(0.55, 1.0, fract(rings)));
  float fibre = valueNoise(q * vec3(14.0, 14.0, 1.5));
  return mix(dark, light, clamp(0.25 + 0.6 * band + 0.3 * fibre, 0.0, 1.0));
}
