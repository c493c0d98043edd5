layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
layout(location = 4) in mat4 iModel;  // locations 4 to 7
layout(location = 8) in vec4 iColour;
layout(location = 9) in vec4 iExtra;

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
