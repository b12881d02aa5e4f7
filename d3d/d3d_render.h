// d3d_render.h -- the one device: creation, reset and resize, the scene
// render target, frame bracketing with at most two frames in flight, and the
// front-buffer capture for screenshots.
#pragma once

#include "platform/d3d9/d3d9.h"

struct TexSlot;

// The device every other module draws with; null while closed.
extern IDirect3DDevice9* d3d;
// Current back-buffer size in pixels.
extern int width, height;
// The mode the device was last created or reset in. Start-up sets it from the
// launch options before init_d3d; afterwards only resize_d3d changes it.
extern bool fullscreen;
// Whether the scene target is multisampled, and at which quality level.
extern bool aa_enabled;
extern int aa_quality;

bool init_d3d(HWND window, int width, int height);
void close_d3d();
// Zero width or height keeps the current one. Without `force` an unchanged
// size and mode returns true at once.
bool resize_d3d(int width, int height, bool fullscreen, bool force);
// For the frame loop after a frame was not rendered: true when the device is
// usable again (a device that can be reset is reset here).
bool check_device();
// Draws one frame through the frame drawer; false when the device is lost or
// the frame from two frames ago is still being drawn.
bool render_frame(float alpha);
void present();
void present_loading_frame();
unsigned available_texture_memory();

void set_scene_target();
void set_backbuffer_target();
// Copies the (possibly multisampled) scene into the texture's first level.
void resolve_scene(TexSlot* texture);
// Copies the (possibly multisampled) scene straight to the back buffer, pixel
// for pixel, and makes the back buffer the target.
void copy_scene_to_backbuffer();
// Draws into a screen-sized render texture (its first level), without depth,
// until another target is set.
void set_texture_target(TexSlot* texture);
// Copies a screen-sized render texture into the scene target, pixel for
// pixel; false when the scene is multisampled (no copy goes into it) or the
// texture is missing.
bool copy_texture_to_scene(TexSlot* texture);

// The last presented frame as 32-bit A8R8G8B8 pixels, rows `pitch` bytes
// apart; null on failure. Valid until release_front_buffer_capture.
const void* capture_front_buffer(int* width, int* height, int* pitch);
void release_front_buffer_capture();

// What the frames contain is the game's business, installed at start-up:
// the frame drawer runs inside render_frame's scene, the loading drawer inside
// present_loading_frame's.
void set_frame_drawer(void (*draw)(float t));
void set_loading_drawer(void (*draw)());

// Reset listeners run after every successful reset, in the order they were
// added: the scene composition's (pixel scale, level cache) and then the
// game's (the current mode's resize). Adding one twice keeps one entry.
enum { MAX_RESET_LISTENERS = 8 };
void add_reset_listener(void (*listener)());
void remove_reset_listener(void (*listener)());
void clear_reset_listeners();
