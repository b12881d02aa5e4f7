// vcolour.sh -- FLOAT3 clip-space positions with a D3DCOLOR colour each.
#ifdef VSH
layout(location = POSITION0) in vec4 pos;
layout(location = COLOR0) in vec4 colour;
out vec4 vColour;
void vsh()
{
    gl_Position = vec4(pos.xyz, 1.0);
    vColour = colour;
}
#endif
#ifdef PSH
in vec4 vColour;
vec4 psh() { return vColour; }
#endif
