// scene.cpp -- pixel scale, background, scene image and post-effect.
#include "voxel/scene.h"

#include "d3d/d3d.h"
#include "gen/levelMap.h"
#include "shell/log.h"
#include "voxel/dynCubeRender.h"
#include "voxel/font.h"

int pixelScale = 1;
PixelView pixelView = computePixelView(1280, 720);
Vec4 cameraCentre(0, 0, 0, 1);
Vec4 cameraEye(0, 0, -120, 1);

namespace {

struct SceneState {
    // The scene image and the post-effect shader are what an effect pass
    // samples and draws with; the no-effect pass copies the scene target
    // directly and needs neither, but start-up makes and loads them all the
    // same, so a new effect only has to draw.
    TexSlot* sceneImage = nullptr;
    ShaderSlot* background = nullptr;
    TexSlot* backgroundTexture = nullptr;
    ShaderSlot* postEffect = nullptr;
};
SceneState ss;

// The background does not move on the screen: the world's is drawn once into
// an image and copied under every frame, until the screen, the colours or
// the shader change (a reset also loses the image).
struct BackgroundImage {
    TexSlot* image = nullptr;
    bool valid = false;
    uint32_t colourA = 0, colourB = 0;
    int width = 0, height = 0, scale = 0;
    const void* shader = nullptr;  // the vertex shader it was drawn with; a reload makes another
    bool copied = false;           // this frame's world background came from it
};
BackgroundImage bg;

Vec4 colourToFloats(uint32_t c)
{
    return Vec4((float)((c >> 16) & 0xFF) / 255.0f, (float)((c >> 8) & 0xFF) / 255.0f, (float)(c & 0xFF) / 255.0f,
                (float)(c >> 24) / 255.0f);
}

}  // namespace

void createSceneImage()
{
    ss.sceneImage = create_screen_render_texture(1);
    if (!ss.sceneImage) fatalError("can't create scene image texture");
}

void releaseSceneImage()
{
    release_texture(ss.sceneImage);
    ss.sceneImage = nullptr;
}

void computePixelScale()
{
    pixelView = computePixelView(width, height);
    pixelScale = pixelView.scale;
    cameraCentre = pixelView.centre;
    setWorldViewSize(width, height, pixelScale);
    logPrint("3d pixel scale: %d", pixelScale);
}

Mat4 viewProjectionFor(Vec4 centre) { return viewMatrixFor(snappedEye(pixelView, centre)) * pixelView.projection; }

void initBackground()
{
    showLoadingText("Compiling background shaders", -1.0f);
    ss.background = create_shader("background.sh", nullptr);
    ss.backgroundTexture = load_dds_texture("background.dds");
    // Without the image the background is drawn every frame.
    bg.image = create_screen_render_texture(1);
    bg.valid = false;
}

void closeBackground()
{
    release_texture(bg.image);
    release_texture(ss.backgroundTexture);
    release_shader(ss.background);
    bg = BackgroundImage();
    ss.backgroundTexture = nullptr;
    ss.background = nullptr;
}

void drawBackground(uint32_t colourA, uint32_t colourB)
{
    if (!ss.background) return;
    set_wireframe(false);
    set_shader(ss.background);
    set_texture(0, ss.backgroundTexture);
    set_texture_address(0, 0, 0, 0);
    float s = (float)pixelScale;
    Vec4 c16((float)width / (4.0f * s), -(float)height / (4.0f * s), 0.0f, 0.0f);
    Vec4 a = colourToFloats(colourA), b = colourToFloats(colourB);
    set_vs_consts(16, c16.f, 1);
    set_vs_consts(17, a.f, 1);
    set_vs_consts(18, b.f, 1);
    draw_fullscreen_quad();
}

void beginSceneBackground(uint32_t colourA, uint32_t colourB)
{
    bg.copied = false;
    if (!ss.background || !bg.image || !bg.image->texture) return;
    const void* shader = ss.background->vs;
    if (!bg.valid || bg.colourA != colourA || bg.colourB != colourB || bg.width != width || bg.height != height ||
        bg.scale != pixelScale || bg.shader != shader) {
        set_texture_target(bg.image);
        drawBackground(colourA, colourB);
        set_scene_target();
        bg = BackgroundImage{bg.image, true, colourA, colourB, width, height, pixelScale, shader, false};
    }
    bg.copied = copy_texture_to_scene(bg.image);
}

void endSceneBackground(uint32_t colourA, uint32_t colourB)
{
    if (!bg.copied) drawBackground(colourA, colourB);
}

void initPostEffects()
{
    showLoadingText("Compiling post-effect shaders", -1.0f);
    ss.postEffect = create_shader("postfx_none.sh", nullptr);
}

void closePostEffects()
{
    release_shader(ss.postEffect);
    ss.postEffect = nullptr;
}

void drawPostEffect() { copy_scene_to_backbuffer(); }

void drawScenePasses(Vec4 centre, void (*draw3d)(float t), float t)
{
    cameraCentre = centre;
    cameraEye = snappedEye(pixelView, centre);
    Mat4 view = viewMatrixFor(cameraEye);
    set_view(view);
    set_projection(pixelView.projection);
    setCubeWorldConstants(view * pixelView.projection);
    set_vs_consts(4, cameraEye.f, 1);

    set_scene_target();
    clear_depth();
    // The device starts with depth testing off (its back buffer has no depth
    // buffer); the scene always wants it.
    set_z_test(true);
    set_z_write(true);
    if (draw3d) draw3d(t);
    drawPostEffect();
}

void sceneResizeHook()
{
    bg.valid = false;
    if (fontReady()) computeFontScale();
    computePixelScale();
    refreshAllCells();
}
