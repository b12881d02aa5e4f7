// pixelScale.cpp -- pixel scale, projection and the snapped eye.
#include "voxel/pixelScale.h"

WorldViewSize worldViewSize;

void setWorldViewSize(int width, int height, int pixelScale)
{
    worldViewSize.width = width > 0 ? width : 1;
    worldViewSize.height = height > 0 ? height : 1;
    worldViewSize.pixelScale = pixelScale > 0 ? pixelScale : 1;
}

int pixelScaleFor(int height)
{
    int s = 1;
    if (height >= 240)
        for (int t = 240; t <= height; t += 120) s++;
    return s;
}

PixelView computePixelView(int width, int height)
{
    PixelView v;
    v.width = width;
    v.height = height;
    v.scale = pixelScaleFor(height);
    float s = (float)v.scale;
    v.eyeOffset = Vec4(0.5f / s, 0.5f / s, -120.0f, 0.0f);
    v.centre = Vec4((float)(width / 2 / v.scale), (float)(height / 2 / v.scale), 0.0f, 1.0f);
    // Left-handed perspective, near 1, far 2000: with the eye 120 voxels in
    // front of z = 0 that plane shows width/s x height/s voxels.
    v.projection.r[0] = Vec4(240.0f * s / (float)width, 0, 0, 0);
    v.projection.r[1] = Vec4(0, 240.0f * s / (float)height, 0, 0);
    v.projection.r[2] = Vec4(0, 0, 2000.0f / 1999.0f, 1);
    v.projection.r[3] = Vec4(0, 0, -2000.0f / 1999.0f, 0);
    return v;
}

Vec4 snappedEye(const PixelView& view, Vec4 centre)
{
    float s = (float)view.scale;
    Vec4 snapped(std::nearbyint(centre.x * s) / s, std::nearbyint(centre.y * s) / s, 0.0f, 1.0f);
    return snapped + view.eyeOffset;
}

Mat4 viewMatrixFor(Vec4 eye)
{
    Mat4 m = Mat4::identity();
    m.r[3] = Vec4(-eye.x, -eye.y, -eye.z, 1.0f);
    return m;
}
