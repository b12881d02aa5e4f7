// loadSprite.h -- voxel sprites from PNG files and from the level volume.
//
// A voxel PNG holds the z slices of the model side by side (nz slices of
// nx x ny pixels, left to right) and its grid size in the text entries
// "VoxelGridDimX", "VoxelGridDimY" and "VoxelGridDimZ".
#pragma once

#include "voxel/voxelSprite.h"

// Loads a voxel PNG resolved against the data directory. Returns a new sprite
// (free it with freeVoxelSprite and delete) or null on any failure; the only
// trace of a failure is a "libpng error: ..." line on standard error.
VoxelSprite* loadVoxelPng(const char* name);

// Copies the inclusive box of the level volume into a new sprite that keeps
// the level's voxel bytes and a copy of the whole level palette.
VoxelSprite* spriteFromLevel(int x0, int y0, int z0, int x1, int y1, int z1);

// Frees the arrays and the record itself; null is ignored.
void deleteVoxelSprite(VoxelSprite* s);
