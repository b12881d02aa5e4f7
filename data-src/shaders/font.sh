// font.sh -- bitmap text and plain rectangles.
//
// Vertex constants: c16 maps pixels (y from the bottom) to clip space, c17
// holds the texel size. A texture coordinate of (-1, -1) marks a plain
// rectangle drawn in its vertex colour.

#ifdef VSH
layout(location = POSITION0) in vec4 pixel;
layout(location = COLOR0) in vec4 colour;
layout(location = TEXCOORD0) in vec4 texel;

out vec4 vColour;
out vec2 vUV;
out float vPlain;

void vsh()
{
    gl_Position = vec4(pixel.xy * c[16].xy + c[16].zw, 0.0, 1.0);
    vColour = colour;
    vUV = texel.xy * c[17].xy;
    vPlain = texel.x < 0.0 ? 1.0 : 0.0;
}
#endif

#ifdef PSH
uniform sampler2D s0;
in vec4 vColour;
in vec2 vUV;
in float vPlain;

vec4 psh()
{
    if (vPlain > 0.5) return vColour;
    // The ink is in the alpha channel of a white image.
    return vColour * texture(s0, vUV);
}
#endif
