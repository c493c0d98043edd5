layout(location = 0) in vec3 aPosition;
layout(location = 4) in mat4 iModel;

void main() {
  gl_Position = clipFromMatrix(u.lightViewProj * iModel * vec4(aPosition, 1.0));
}
