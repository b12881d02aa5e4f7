// cube.sh -- voxel cubes: one instance per cube on a shared 24-vertex mesh.
//
// Vertex constants: c0-c3 object to clip, c5 the light direction and c6 the
// depth-cue plane, both in object space. Colours (D3DCOLOR) arrive as
// (r, g, b, a) of their 0xAARRGGBB value, so the bytes of the mesh's corner
// and face attribute (x, y, z, 255 in memory) read back as .bgr.
//
// The mesh's x and z axes are exchanged, so its x = 0 face is the one towards
// the viewer (-z): a cube drawn with only its first face shows its front, and
// one drawn with five faces leaves out only the back, which the camera never
// sees. The exchange also turns the mesh's faces outward for the device's
// counter-clockwise culling.

#ifdef VSH
layout(location = POSITION0) in vec4 meshCorner;
layout(location = NORMAL0) in vec4 meshFace;
layout(location = POSITION1) in vec4 instancePos;
layout(location = COLOR0) in vec4 instanceColour;

out vec3 vColour;
out vec2 vEdge;
out float vLight;

// Mesh axes to cube axes.
vec3 turn(vec3 m) { return m.zyx; }

void vsh()
{
    vec3 corner = turn(meshCorner.bgr);
    vec3 attr = meshFace.bgr * 2.0 - 1.0;  // +-1 on the face's axis, +-0.078 across it
    vec3 normal = turn(sign(attr) * step(0.5, abs(attr)));

    // x: low 15 bits with the double-size flag as sign, plus 32768 * xHigh.
    float x = instancePos.x;
    float size = 16.0;
    if (x < 0.0) {
        x += 32768.0;
        size = 32.0;
    }
    x += instancePos.w * 32768.0;
    vec4 p = vec4((vec3(x, instancePos.y, instancePos.z) + corner * size) / 16.0, 1.0);
    gl_Position = p.x * c[0] + p.y * c[1] + p.z * c[2] + c[3];

    // Light from above and in front; each face gets one shade.
    float facing = dot(normal, normalize(c[5].xyz));
    vLight = 0.74 + 0.52 * facing;
    // Deeper voxels fade darker.
    float depth = clamp(dot(p, c[6]), 0.0, 1.0);
    vLight *= 1.0 - 0.45 * depth;
    // Distance from the face centre on the two axes across it, 1 at the rim.
    vec3 across = turn(abs(attr) * (1.0 - step(0.5, abs(attr)))) / 0.0785;
    vEdge = normal.x != 0.0 ? across.yz : normal.y != 0.0 ? across.xz : across.xy;
    vColour = instanceColour.rgb;
}
#endif

#ifdef PSH
in vec3 vColour;
in vec2 vEdge;
in float vLight;

vec4 psh()
{
    // A slight bevel so neighbouring cubes of one colour still read as cubes.
    float rim = max(vEdge.x, vEdge.y);
    float bevel = 1.0 - 0.16 * smoothstep(0.72, 0.98, rim);
    return vec4(vColour * vLight * bevel, 1.0);
}
#endif
