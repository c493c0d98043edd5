layout(location = SORVEL_ATTR_POSITION) in vec3 aPosition;
layout(location = SORVEL_ATTR_NORMAL) in vec3 aNormal;
layout(location = SORVEL_ATTR_UV) in vec2 aUv;
layout(location = SORVEL_ATTR_FACE) in float aFace;
layout(location = SORVEL_ATTR_CUBE_POS_SCALE) in vec4 iPosScale;
layout(location = SORVEL_ATTR_CUBE_CLUES) in uvec4 iClues;
layout(location = SORVEL_ATTR_CUBE_ANIM) in vec4 iAnim;
layout(location = SORVEL_ATTR_CUBE_NBR) in uvec4 iNbr;
layout(location = SORVEL_ATTR_CUBE_ORIGIN) in vec4 iOrigin;

out vec3 vWorld;
out vec3 vNormal;
out vec2 vUv;
out vec3 vLocal;
out vec3 vInBlock;
flat out int vFace;
flat out uvec4 vClues;
flat out vec4 vAnim;
flat out uvec4 vNbr;

void main() {
  // Collapsed to one point outside the view, a hidden cube costs no pixels.
  if (cubeIsHidden(iClues, iNbr)) {
    gl_Position = vec4(0.0, 0.0, 2.0, 1.0);
    vFace = 0;
    return;
  }
  // The shake lane is already a sideways offset in world units.
  vec3 world = iPosScale.xyz + aPosition * iPosScale.w + vec3(iAnim.x, 0.0, 0.0);
  vWorld = world;
  vNormal = aNormal;
  vUv = aUv;
  vLocal = aPosition / SORVEL_CUBE_HALF;
  vInBlock = iPosScale.xyz + aPosition - iOrigin.xyz;
  vFace = int(aFace + 0.5);
  vClues = iClues;
  vAnim = iAnim;
  vNbr = iNbr;
  gl_Position = clipFromMatrix(u.viewProj * vec4(world, 1.0));
}
