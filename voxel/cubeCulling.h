// cubeCulling.h -- which cached cubes, and which of their faces, can show to
// an eye in front of the volume.
//
// The level is seen in perspective from an eye in front of it (z < 0),
// looking along +z. A line of sight that enters a solid region of the volume
// always does so through a face that is drawn: the front face of a voxel, or
// a side face next to an empty voxel. So a cube is hidden when every line of
// sight to it passes through a solid voxel nearer to the eye, and a side face
// can show only when it borders a voxel that is not solid and faces the eye.
//
// The answers hold for every eye in an EyeBox, so they can be kept while the
// camera moves inside one.
#pragma once

#include <cstdint>

#include "voxel/chunkBuild.h"

// The sides of a cube (CUBE_TOP, CUBE_LEFT, CUBE_RIGHT, CUBE_BOTTOM) that
// border a voxel that is not solid or lies outside the volume.
int cubeOpenSides(const VoxelVolume& vol, const CubeInstance& cube);

// Eye positions x0..x1, y0..y1 at depth z (voxels, z < 0), each seeing
// spreadX and spreadY to either side per voxel of depth in front of it (a
// symmetric perspective view; infinite when the screen's edges are unknown).
struct EyeBox {
    float x0, y0, x1, y1, z;
    float spreadX, spreadY;
};
enum { EYE_BOX_VOXELS = 8 };
// The box of EYE_BOX_VOXELS x EYE_BOX_VOXELS voxels the eye lies in; boxes
// are aligned, so nearby eyes share one.
EyeBox eyeBoxAround(float x, float y, float z, float spreadX, float spreadY);
// Whether the cube lies beyond the screen's edges for every eye of the box.
bool cubeOffScreen(const CubeInstance& cube, const EyeBox& eyes);
// The sides of the cube that face some eye of the box.
int cubeFacingSides(const CubeInstance& cube, const EyeBox& eyes);

// Inclusive rectangle of volume columns (x, y); empty while x0 > x1.
struct CellRect {
    int x0 = 1, y0 = 1, x1 = 0, y1 = 0;
    bool empty() const { return x0 > x1; }
    void add(int ax0, int ay0, int ax1, int ay1);
    bool overlaps(int ax0, int ay0, int ax1, int ay1) const;
};

// Whether the whole cube is hidden behind solid voxels for every eye of the
// box (all its faces drawn but the back). The columns read are added to looked.
bool cubeHiddenBehindSolid(const VoxelVolume& vol, const CubeInstance& cube, const EyeBox& eyes, CellRect* looked);
// Whether the cube's front face is hidden behind nearer front faces, for
// drawing with front faces only (fast voxels): there lines of sight pass
// through solid voxels whose sides are not drawn, and only the front face of
// a solid voxel with an empty voxel in front of it (or on the front layer) is
// sure to be drawn.
bool cubeFrontHidden(const VoxelVolume& vol, const CubeInstance& cube, const EyeBox& eyes, CellRect* looked);
