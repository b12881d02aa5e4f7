// copy.sh -- samples texture stage 0 at the coordinate c16 maps the quad to.
#ifdef VSH
layout(location = POSITION0) in vec4 pos;
out vec2 uv;
void vsh()
{
    gl_Position = vec4(pos.xy, 0.0, 1.0);
    uv = pos.xy * c[16].xy + c[16].zw;
}
#endif
#ifdef PSH
uniform sampler2D s0;
in vec2 uv;
vec4 psh() { return texture(s0, uv); }
#endif
