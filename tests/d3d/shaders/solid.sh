// solid.sh -- positions as given (FLOAT3 clip space), in the colour of c20.
#include "sub/common.inc"
#ifdef VSH
layout(location = POSITION0) in vec4 pos;
void vsh() { gl_Position = vec4(pos.xyz, 1.0); }
#endif
#ifdef PSH
vec4 psh() { return solidColour(); }
#endif
