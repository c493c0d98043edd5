layout(location = SORVEL_ATTR_POSITION) in vec3 aPosition;
layout(location = SORVEL_ATTR_CUBE_POS_SCALE) in vec4 iPosScale;
layout(location = SORVEL_ATTR_CUBE_CLUES) in uvec4 iClues;
layout(location = SORVEL_ATTR_CUBE_ANIM) in vec4 iAnim;
layout(location = SORVEL_ATTR_CUBE_NBR) in uvec4 iNbr;

void main() {
  // A cube walled in by its six neighbours casts no shadow they do not.
  if (cubeIsHidden(iClues, iNbr)) {
    gl_Position = vec4(0.0, 0.0, 2.0, 1.0);
    return;
  }
  // Cast as full unit cubes: the rounded gaps between neighbours would
  // otherwise stripe the shadow with light.
  vec3 world = iPosScale.xyz + aPosition * (iPosScale.w / SORVEL_CUBE_HALF * 0.5) + vec3(iAnim.x, 0.0, 0.0);
  gl_Position = clipFromMatrix(u.lightViewProj * vec4(world, 1.0));
}
