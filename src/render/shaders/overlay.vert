// One interface layer as a quad: its own rectangle in the target's pixels,
// top-left origin, y downwards, as the layer was painted.
uniform vec4 rect;        // x, y, width, height
uniform vec2 targetSize;  // pixels

out vec2 vUv;

void main() {
  vec2 corner = vec2(gl_VertexID & 1, gl_VertexID >> 1);
  vUv = corner;
  vec2 pixel = rect.xy + corner * rect.zw;
  vec2 ndc = pixel / targetSize * 2.0 - 1.0;
  gl_Position = vec4(ndc.x, -ndc.y, 0.0, 1.0);
}
