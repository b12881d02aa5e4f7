// debug_vis.sh -- coloured lines and triangles in level space (c0-c3: the
// frame's view-projection).

#ifdef VSH
layout(location = POSITION0) in vec4 pos;
layout(location = COLOR0) in vec4 colour;

out vec4 vColour;

void vsh()
{
    vec4 p = vec4(pos.xyz, 1.0);
    gl_Position = p.x * c[0] + p.y * c[1] + p.z * c[2] + c[3];
    vColour = colour;
}
#endif

#ifdef PSH
in vec4 vColour;

vec4 psh() { return vColour; }
#endif
