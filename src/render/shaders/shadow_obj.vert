layout(location = SORVEL_ATTR_POSITION) in vec3 aPosition;
layout(location = SORVEL_ATTR_OBJECT_MODEL) in mat4 iModel;

void main() {
  gl_Position = clipFromMatrix(u.lightViewProj * iModel * vec4(aPosition, 1.0));
}
