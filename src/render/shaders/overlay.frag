// The layer's picture is premultiplied, as Cairo paints it; fading it scales
// all four channels alike.
uniform sampler2D picture;
uniform float opacity;

in vec2 vUv;
out vec4 fragColour;

void main() {
  fragColour = texture(picture, vUv) * opacity;
}
