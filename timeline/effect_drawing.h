#pragma once
// Drawing the screen effect and the loading screen: one textured,
// vertex-coloured quad in screen coordinates on the current device.

#include "images/texture.h"

#include <d3d8.h>
#include "screen_effect.h"

#include <memory>

class DeviceContext;
class VirtualFile;

// Draws the quad (x0, y0)-(x1, y1) in pixels inside its own scene, with
// texture coordinates 0..1 across it and every vertex in the given colour.
// `texture` may be null (the stage then has none bound).
void drawQuad(IDirect3DDevice8* device, float x0, float y0, float x1, float y1,
              IDirect3DTexture8* texture, float red, float green, float blue, float alpha);

// A 1 x 1 opaque white texture: bound for the colour effects and the bar,
// whose colour then comes from the vertices.
std::unique_ptr<Texture> createWhiteTexture(DeviceContext* context);

// Evaluates the effect at `time` and draws it over the whole screen with
// alpha blending. Colour effects use `white`. Returns the step, so that the
// caller can finish a cross-fade.
EffectStep drawScreenEffect(DeviceContext& context, ScreenEffect& effect, double time,
                            IDirect3DTexture8* white);

// The loading screen: a picture over the whole screen with a progress bar.
class LoadingScreen {
public:
    // Stores the bar (fractions of the screen: x0, y0, x1, y1) and colours,
    // and loads and builds `pictureName` through `archive` (none when empty).
    void setup(DeviceContext* context, VirtualFile* archive, const char* pictureName,
               const float barRect[4], uint32_t barColour, uint32_t backgroundColour);
    // Draws the screen with the bar at `progress` (0..1) and presents.
    void draw(float progress, IDirect3DTexture8* white);
    // The drawing alone, without presenting.
    void drawFrame(float progress, IDirect3DTexture8* white);
    void release() { picture.reset(); }

    std::unique_ptr<Texture> picture;
    float bar[4] = {0.0f, 0.91f, 1.0f, 0.935f};
    uint32_t barColour = 0xff606060;
    uint32_t backgroundColour = 0xff000000; // stored, not drawn

private:
    DeviceContext* context = nullptr;
};

// Loads a picture (flip 0) and builds it at once with flags colorLayer only.
std::unique_ptr<Texture> loadScreenPicture(DeviceContext* context, VirtualFile* archive,
                                           const char* name);
