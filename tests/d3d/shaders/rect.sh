// rect.sh -- pixel rectangles (y from the bottom) through c16, in their colour.
#ifdef VSH
layout(location = POSITION0) in vec4 pixel;
layout(location = COLOR0) in vec4 colour;
out vec4 vColour;
void vsh()
{
    gl_Position = vec4(pixel.xy * c[16].xy + c[16].zw, 0.0, 1.0);
    vColour = colour;
}
#endif
#ifdef PSH
in vec4 vColour;
vec4 psh() { return vColour; }
#endif
