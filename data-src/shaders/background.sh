// background.sh -- the rock wall behind the level, tinted by two colours.
//
// c16.xy turns the full-screen quad into texture coordinates (one unit per
// four voxels); c17 and c18 are the two colours. The texture holds no colour:
// red blends between the two, green is the light, blue marks the joints.

#ifdef VSH
layout(location = POSITION0) in vec4 pos;

out vec2 vUV;
flat out vec3 vColourA;
flat out vec3 vColourB;

void vsh()
{
    // At the far end of the depth range, so everything else draws over it.
    gl_Position = vec4(pos.xy, 0.99999, 1.0);
    // The 64-texel stone map spans 64 voxels.
    vUV = pos.xy * c[16].xy / 16.0;
    vColourA = c[17].rgb;
    vColourB = c[18].rgb;
}
#endif

#ifdef PSH
uniform sampler2D s0;
in vec2 vUV;
flat in vec3 vColourA;
flat in vec3 vColourB;

vec4 psh()
{
    vec4 t = texture(s0, vUV);
    vec3 stone = mix(vColourA, vColourB, t.r);
    // Kept dim so the level in front stands out.
    return vec4(stone * (0.30 + 0.45 * t.g), 1.0);
}
#endif
