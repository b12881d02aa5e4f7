// dynCubeRender.cpp -- drawing cubes through the Direct3D layer.
#include "voxel/dynCubeRender.h"

#include <cmath>
#include <cstring>

#include "d3d/d3d.h"
#include "shell/launchOptions.h"
#include "shell/log.h"
#include "voxel/cubeQueue.h"
#include "voxel/voxelSprite.h"

CubeStats cubeStats;
CubeDrawing cubeDrawing = CubeDrawing::Culled;

namespace {

// Light from above and in front of the scene: (0, 2, -1, 0) / |(0, 4, 1, 0)|.
const Vec4 SHADING_VECTOR(0.0f, 2.0f / std::sqrt(17.0f), -1.0f / std::sqrt(17.0f), 0.0f);
// Depth cue: 0.05 per voxel of depth.
const Vec4 DEPTH_CUE(0.0f, 0.0f, 0.05f, 0.0f);

const VertexElementDesc CUBE_VDECL[] = {
    {0, 0, VDECL_D3DCOLOR, VDECL_POSITION, 0},
    {4, 0, VDECL_D3DCOLOR, VDECL_NORMAL, 0},
    {0, 1, VDECL_SHORT4, VDECL_POSITION, 1},
    {8, 1, VDECL_D3DCOLOR, VDECL_COLOR, 0},
    VDECL_END,
};
// The same inputs from one stream of face vertices (CubeFaceVertex).
const VertexElementDesc FACE_VDECL[] = {
    {0, 0, VDECL_D3DCOLOR, VDECL_POSITION, 0},
    {4, 0, VDECL_D3DCOLOR, VDECL_NORMAL, 0},
    {8, 0, VDECL_SHORT4, VDECL_POSITION, 1},
    {16, 0, VDECL_D3DCOLOR, VDECL_COLOR, 0},
    VDECL_END,
};

struct CubeRenderer {
    IDirect3DVertexDeclaration9* decl = nullptr;
    IDirect3DVertexDeclaration9* faceDecl = nullptr;
    IBSlot* faceIndices = nullptr;  // MAX_FACE_QUADS quads of face vertices
    ShaderSlot* shader = nullptr;
    VBSlot* mesh = nullptr;
    IBSlot* indices = nullptr;
    VBSlot* immediate = nullptr;
    Mat4 viewProjection = Mat4::identity();
    Mat4 object = Mat4::identity();
    bool objectIsIdentity = true;
    // Its inverse, and whether it keeps the winding of faces (else back-face
    // culling keeps the other faces, and sprites draw all of theirs).
    Mat4 objectInverse = Mat4::identity();
    bool objectKeepsWinding = true;
    // The eye of the view captured at beginCubes, and whether the view looks
    // along +z in perspective from it, in front of the volume (else the cache
    // draws plain).
    Vec4 eye;
    bool eyeInFront = false;
};
CubeRenderer cr;

void drawInstances(VBSlot* vb, int first, int count, int faces)
{
    CubeFaceRange range = cubeFaceRange(faces);
    set_vb(1, vb, (int)sizeof(CubeInstance) * first, sizeof(CubeInstance));
    set_instancing(count);
    draw_indexed(D3DPT_TRIANGLELIST, 0, 0, CUBE_MESH_VERTICES, range.firstIndex, range.triangles);
    cubeStats.drawCalls++;
    cubeStats.instances += count;
    cubeStats.triangles += count * range.triangles;
}

struct D3DCubeBackend : CubeBackend {
    CubeInstance* lockImmediate() override { return (CubeInstance*)lock_vb(cr.immediate, 0, 0); }
    void unlockImmediate() override { unlock_vb(cr.immediate); }
    void drawImmediate(int first, int count, int faces) override { drawInstances(cr.immediate, first, count, faces); }
    void* createEntryBuffer() override { return create_vb(CACHE_ENTRY_CUBES * sizeof(CubeInstance), BUFFER_DYNAMIC); }
    void releaseEntryBuffer(void* b) override { release_vb((VBSlot*)b); }
    CubeInstance* lockEntry(void* b) override { return (CubeInstance*)lock_vb((VBSlot*)b, 0, 0); }
    void unlockEntry(void* b) override { unlock_vb((VBSlot*)b); }
    void drawEntry(void* b, int count, bool fast) override
    {
        drawInstances((VBSlot*)b, 0, count, fast ? CUBE_FRONT : CUBE_FIVE_FACES);
        cubeStats.levelTriangles += count * (fast ? 2 : 10);
    }
    void* createFaceBuffer(int faces) override
    {
        return create_vb(faces * 4 * (int)sizeof(CubeFaceVertex), BUFFER_DYNAMIC);
    }
    void releaseFaceBuffer(void* b) override { release_vb((VBSlot*)b); }
    CubeFaceVertex* lockFaces(void* b, int first, int count) override
    {
        const int faceBytes = 4 * (int)sizeof(CubeFaceVertex);
        return (CubeFaceVertex*)lock_vb_part((VBSlot*)b, first * faceBytes, count * faceBytes);
    }
    void unlockFaces(void* b) override { unlock_vb((VBSlot*)b); }
    void drawFaces(void* b, int first, int faces) override
    {
        ASSERT(faces <= MAX_FACE_QUADS);
        set_vdecl(cr.faceDecl);
        set_vb(0, (VBSlot*)b, 0, sizeof(CubeFaceVertex));
        set_ib(cr.faceIndices);
        set_instancing(0);
        draw_indexed(D3DPT_TRIANGLELIST, 4 * first, 0, 4 * faces, 0, 2 * faces);
        cubeStats.drawCalls++;
        cubeStats.faces += faces;
        cubeStats.triangles += 2 * faces;
        cubeStats.levelTriangles += 2 * faces;
    }
};
D3DCubeBackend backend;
CubeQueue queue{&backend};

// One grid's cubes with the faces they draw, while they are put in order.
struct GridCube {
    int x16, y16, z16;
    uint32_t colour;
    int faces;
};
DynArray<GridCube> gridCubes, sortedGridCubes;

// The faces of the cube at (x16, y16, z16) that face an eye at `eye`, in
// the same (object) space.
int facesTowards(Vec4 eye, int x16, int y16, int z16)
{
    float x = (float)x16 / 16.0f, y = (float)y16 / 16.0f, z = (float)z16 / 16.0f;
    int faces = 0;
    if (eye.z < z) faces |= CUBE_FRONT;
    if (eye.z > z + 1.0f) faces |= CUBE_BACK;
    if (eye.x < x) faces |= CUBE_LEFT;
    if (eye.x > x + 1.0f) faces |= CUBE_RIGHT;
    if (eye.y < y) faces |= CUBE_BOTTOM;
    if (eye.y > y + 1.0f) faces |= CUBE_TOP;
    return faces;
}

float determinant3(const Mat4& m)
{
    return m.r[0].x * (m.r[1].y * m.r[2].z - m.r[1].z * m.r[2].y) -
           m.r[0].y * (m.r[1].x * m.r[2].z - m.r[1].z * m.r[2].x) +
           m.r[0].z * (m.r[1].x * m.r[2].y - m.r[1].y * m.r[2].x);
}

// Whether the view looks along +z unturned and the projection is a
// perspective one from the view's origin (clip w = view z): what the culled
// cache drawing takes lines of sight to be.
bool viewsAlongZFromEye(const Mat4& view, const Mat4& projection)
{
    const float eps = 1e-6f;
    for (int i = 0; i < 3; i++)
        for (int k = 0; k < 3; k++)
            if (std::fabs(view.r[i].f[k] - (i == k ? 1.0f : 0.0f)) > eps) return false;
    return std::fabs(projection.r[0].w) < eps && std::fabs(projection.r[1].w) < eps &&
           std::fabs(projection.r[2].w - 1.0f) < eps && std::fabs(projection.r[3].w) < eps;
}

void loadConstants(const Mat4& toClip, Vec4 light, Vec4 depthCue)
{
    set_vs_consts(0, &toClip.r[0].x, 4);
    set_vs_consts(5, light.f, 1);
    set_vs_consts(6, depthCue.f, 1);
}

}  // namespace

void initCubeRenderer()
{
    cr.decl = get_vdecl(CUBE_VDECL);
    cr.faceDecl = get_vdecl(FACE_VDECL);
    cr.shader = create_shader("cube.sh", nullptr);
    cr.immediate = create_vb(IMMEDIATE_CUBES * sizeof(CubeInstance), BUFFER_DYNAMIC);
    cr.mesh = create_vb(sizeof(cubeMeshVertices), BUFFER_STATIC);
    cr.indices = create_ib(CUBE_MESH_INDICES, BUFFER_STATIC);
    cr.faceIndices = create_ib(6 * MAX_FACE_QUADS, BUFFER_STATIC);
    if (!cr.immediate || !cr.mesh || !cr.indices || !cr.faceIndices) fatalError("Can't create cube VB");
    void* vp = lock_vb(cr.mesh, 0, 0);
    // clang-format off
    ASSERT(vp);
    // clang-format on
    memcpy(vp, cubeMeshVertices, sizeof(cubeMeshVertices));
    unlock_vb(cr.mesh);
    void* ip = lock_ib(cr.indices, 0, 0);
    // clang-format off
    ASSERT(ip);
    // clang-format on
    memcpy(ip, cubeMeshIndices.data(), sizeof(cubeMeshIndices));
    unlock_ib(cr.indices);
    uint16_t* fp = (uint16_t*)lock_ib(cr.faceIndices, 0, 0);
    ASSERT(fp);
    writeFaceQuadIndices(fp, MAX_FACE_QUADS);
    unlock_ib(cr.faceIndices);
}

void closeCubeRenderer()
{
    release_ib(cr.faceIndices);
    release_ib(cr.indices);
    release_vb(cr.mesh);
    release_vb(cr.immediate);
    release_shader(cr.shader);
    cr = CubeRenderer();
}

bool cubeRendererReady() { return cr.shader != nullptr; }

void setCubeWorldConstants(const Mat4& viewProjection) { loadConstants(viewProjection, SHADING_VECTOR, DEPTH_CUE); }

void beginCubes()
{
    if (!cr.shader) return;
    const CubeInstance* vbPtr = queue.vbPtr;
    // clang-format off
    ASSERT(!vbPtr);
    // clang-format on
    cr.viewProjection = get_view_projection();
    Mat4 view = get_view();
    Mat4 viewToWorld = inverse(view);
    cr.eye = viewToWorld.r[3];
    cr.eyeInFront = viewsAlongZFromEye(view, viewToWorld * cr.viewProjection) && cr.eye.z < 0.0f;
    cr.object = cr.objectInverse = Mat4::identity();
    cr.objectIsIdentity = cr.objectKeepsWinding = true;
    set_vdecl(cr.decl);
    set_vb(0, cr.mesh, 0, 8);
    set_ib(cr.indices);
    set_shader(cr.shader);
    set_cull(true);
    cubeStats = CubeStats();
}

void pushCube(int x16, int y16, int z16, uint32_t colour)
{
    if (!cr.shader) return;
    queue.push(x16, y16, z16, colour);
}

void drawVoxelGrid(const uint8_t* voxels, int xStride, int yStride, int zStride, int nx, int ny, int nz,
                   const uint32_t* palette, int px, int py, int pz, int flags)
{
    if (!cr.shader) return;
    if (cubeDrawing == CubeDrawing::Plain || !cr.eyeInFront || !cr.objectKeepsWinding) {
        forEachGridCube(voxels, xStride, yStride, zStride, nx, ny, nz, palette, px, py, pz, flags,
                        [](int x, int y, int z, uint32_t c, int) { queue.push(x, y, z, c); });
        return;
    }
    // Each cube draws the faces that border an empty voxel and face the eye,
    // in runs of cubes with the same faces: a few draws, and none of the
    // faces inside the grid or turned away. A face between two solid voxels
    // cannot show, since a line of sight into a solid part of the grid
    // always enters it through a face that borders empty space.
    Vec4 eye = transform(cr.objectInverse, cr.eye);
    int perFaces[CUBE_ALL_FACES + 1] = {};
    gridCubes.clear();
    forEachGridCube(voxels, xStride, yStride, zStride, nx, ny, nz, palette, px, py, pz, flags,
                    [&](int x, int y, int z, uint32_t c, int faces) {
                        faces &= facesTowards(eye, x, y, z);
                        if (!faces) return;
                        gridCubes.append(GridCube{x, y, z, c, faces});
                        perFaces[faces]++;
                    });
    int next[CUBE_ALL_FACES + 1];
    for (int f = 0, first = 0; f <= CUBE_ALL_FACES; f++) {
        next[f] = first;
        first += perFaces[f];
    }
    sortedGridCubes.setNum(gridCubes.num);
    for (const GridCube& g : gridCubes) sortedGridCubes[next[g.faces]++] = g;
    for (const GridCube& g : sortedGridCubes) queue.push(g.x16, g.y16, g.z16, g.colour, g.faces);
}

void drawVoxelSprite(const VoxelSprite* s, int x, int y, int z, int flags)
{
    if (!s) return;
    drawVoxelGrid(s->voxels, 1, s->nx, s->nx * s->ny, s->nx, s->ny, s->nz, s->palette, x, y, z, flags);
}

void flushCubes(bool force)
{
    if (!cr.shader) return;
    queue.flush(force);
}

void setCubeTransform(const Mat4& m)
{
    if (!cr.shader) return;
    if (!memcmp(&m, &cr.object, sizeof(Mat4))) return;
    queue.flush(false);
    cr.object = m;
    Mat4 identity = Mat4::identity();
    cr.objectIsIdentity = !memcmp(&m, &identity, sizeof(Mat4));
    // The light direction goes into object space with the inverse; the depth
    // plane with the matrix itself, so depth stays that of world space.
    Mat4 inv = inverse(m);
    cr.objectInverse = inv;
    cr.objectKeepsWinding = determinant3(m) > 0.0f;
    Vec4 light = transform(inv, SHADING_VECTOR);
    Vec4 depthCue(dot4(m.r[0], DEPTH_CUE), dot4(m.r[1], DEPTH_CUE), dot4(m.r[2], DEPTH_CUE), dot4(m.r[3], DEPTH_CUE));
    loadConstants(m * cr.viewProjection, light, depthCue);
}

void endCubes()
{
    if (!cr.shader) return;
    queue.flush(false);
    set_instancing(0);
    if (!cr.objectIsIdentity) setCubeWorldConstants(cr.viewProjection);
    cr.object = cr.objectInverse = Mat4::identity();
    cr.objectIsIdentity = cr.objectKeepsWinding = true;
}

VoxelCache* createCubeCache(const VoxelVolume& vol) { return createVoxelCache(vol, &backend); }

void drawCubeCache(VoxelCache* cache, int x0, int y0, int x1, int y1)
{
    if (!cr.shader || !cache) return;
    queue.flush(true);
    if (cubeDrawing == CubeDrawing::Culled && cr.eyeInFront && cr.objectIsIdentity) {
        CacheView view{cr.viewProjection, cr.eye};
        drawVoxelCache(cache, x0, y0, x1, y1, launchOptions.fastVoxels, &view);
        // Faces were drawn from their own stream: back to the cube mesh.
        set_vdecl(cr.decl);
        set_vb(0, cr.mesh, 0, 8);
        set_ib(cr.indices);
    } else {
        drawVoxelCache(cache, x0, y0, x1, y1, launchOptions.fastVoxels);
    }
}
