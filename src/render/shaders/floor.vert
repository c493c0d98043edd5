out vec3 vWorld;

// Two triangles of table, far wider than any view of it.
const vec2 kCorners[6] = vec2[](vec2(-1, -1), vec2(1, -1), vec2(1, 1), vec2(-1, -1), vec2(1, 1), vec2(-1, 1));

void main() {
  vec2 c = kCorners[gl_VertexID] * 400.0;
  vWorld = vec3(c.x, 0.0, c.y);
  gl_Position = clipFromMatrix(u.viewProj * vec4(vWorld, 1.0));
}
