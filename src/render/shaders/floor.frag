in vec3 vWorld;

out vec4 fragColour;

void main() {
  // Lit and unshadowed, the table is exactly the background colour; shadows
  // and a soft pool of light around the blocks are all that set it apart, and
  // even they fade out with distance so the table melts into the backdrop.
  float shadow = shadowAt(vWorld, vec3(0.0, 1.0, 0.0));
  // Shadows keep the table's warmth: a deeper tone of it, not a grey.
  vec3 lit = u.bg.rgb * mix(vec3(0.60, 0.56, 0.53), vec3(1.0), shadow);
  float fromCentre = length(vWorld.xz);
  lit *= mix(1.03, 0.97, smoothstep(8.0, 90.0, fromCentre));
  float away = length(vWorld - u.camPos.xyz);
  float fade = smoothstep(50.0, 200.0, away);
  // The gradients span only a few 8-bit steps across the whole table; a
  // whisper of noise keeps them from showing as contour lines.
  float dither = fract(sin(dot(gl_FragCoord.xy, vec2(12.9898, 78.233))) * 43758.5453) - 0.5;
  fragColour = vec4(mix(lit, u.bg.rgb, fade) * (1.0 + dither * 0.006), 1.0);
}
