// cubes.sh -- instanced unit squares: the corner (0 or 255 per axis) scaled to
// 16 units, moved by the SHORT4 instance position, through c0-c3.
#ifdef VSH
layout(location = POSITION0) in vec4 corner;
layout(location = POSITION1) in vec4 place;
layout(location = COLOR0) in vec4 colour;
out vec4 vColour;
void vsh()
{
    vec4 p = vec4(corner.xyz * 16.0 + place.xyz, 1.0);
    gl_Position = mulRows(p, 0);
    vColour = colour;
}
#endif
#ifdef PSH
in vec4 vColour;
vec4 psh() { return vColour; }
#endif
