in vec3 vWorld;
in vec3 vNormal;
in vec2 vUv;
in vec3 vObject;
flat in vec4 vColour;
flat in vec4 vExtra;

uniform sampler2D picture;
uniform bool hasPicture;  // false: the figure's picture could not be loaded

out vec4 fragColour;

const vec3 kChipLight = vec3(0.86, 0.66, 0.42);
const vec3 kChipDark = vec3(0.68, 0.47, 0.26);

void main() {
  vec3 normal = normalize(vNormal);
  vec3 albedo;
  float gloss;
  if (vExtra.x > 0.5) {
    // Plain wood. A grey colour is a brightness on the pale wood of the cubes
    // (the chips); any other colour is the wood's own (the plinths).
    bool grey = abs(vColour.r - vColour.g) < 1e-4 && abs(vColour.g - vColour.b) < 1e-4;
    if (grey) {
      albedo = mix(kChipDark, kChipLight, valueNoise(vObject * vec3(3.0, 3.0, 20.0))) * vColour.rgb;
    } else {
      vec3 base = vColour.rgb * vec3(0.78, 0.64, 0.5);  // a deeper, browner stain
      albedo = wood(vObject * 1.4, 11.0, base * 1.12, base * 0.78);
    }
    gloss = 0.18;
  } else {
    albedo = (hasPicture ? texture(picture, vUv).rgb : vec3(0.8)) * vColour.rgb;
    gloss = 0.35;
  }
  if (!gl_FrontFacing) normal = -normal;
  fragColour = vec4(toneMap(shade(albedo, normal, vWorld, 1.0, gloss)), 1.0);
}
