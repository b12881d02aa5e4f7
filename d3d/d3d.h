// d3d.h -- the Direct3D layer in one include.
#pragma once

#include "d3d/d3d_misc.h"
#include "d3d/d3d_render.h"
#include "d3d/d3d_shaders.h"
#include "d3d/d3d_vbuf.h"
