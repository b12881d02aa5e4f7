// postfx_none.sh -- copies the scene image to the back buffer unchanged.
// c16 maps the quad's clip position to the scene image's coordinates.

#ifdef VSH
layout(location = POSITION0) in vec4 pos;

out vec2 vUV;

void vsh()
{
    gl_Position = vec4(pos.xy, 0.0, 1.0);
    vUV = pos.xy * c[16].xy + c[16].zw;
}
#endif

#ifdef PSH
uniform sampler2D s0;
in vec2 vUV;

vec4 psh() { return vec4(texture(s0, vUV).rgb, 1.0); }
#endif
