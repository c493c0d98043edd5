layout(location = SORVEL_ATTR_POSITION) in vec3 aPosition;
layout(location = SORVEL_ATTR_NORMAL) in vec3 aNormal;
layout(location = SORVEL_ATTR_UV) in vec2 aUv;
layout(location = SORVEL_ATTR_OBJECT_MODEL) in mat4 iModel;  // four locations, a column each
layout(location = SORVEL_ATTR_OBJECT_COLOUR) in vec4 iColour;
layout(location = SORVEL_ATTR_OBJECT_EXTRA) in vec4 iExtra;

out vec3 vWorld;
out vec3 vNormal;
out vec2 vUv;
out vec3 vObject;
flat out vec4 vColour;
flat out vec4 vExtra;

void main() {
  vec4 world = iModel * vec4(aPosition, 1.0);
  vWorld = world.xyz;
  // Chips are scaled unevenly, so normals need the inverse transpose.
  vNormal = transpose(inverse(mat3(iModel))) * aNormal;
  vUv = aUv;
  vObject = aPosition;
  vColour = iColour;
  vExtra = iExtra;
  gl_Position = clipFromMatrix(u.viewProj * world);
}
