#pragma once
// Draws lines of text over the finished frame: a dark translucent panel with
// white glyphs of the overlay font on it, for the author's "where you are"
// overlay. The glyphs come from one managed-pool texture (it survives a device
// reset) and are drawn pixel for pixel with point sampling, panel and text in
// one draw call.
//
// Call order: create once the device exists, draw after everything else of a
// frame (outside any BeginScene), release before the device goes. draw sets
// every state it relies on, whatever the scenes left, except the colour-write
// mask, which is the caller's; afterwards every state it set is as it was.

#include <windows.h>
#include <d3d8.h>

#include <string>
#include <vector>

// A rectangle of whole pixels: left and top inside, right and bottom just
// outside.
struct OverlayRect {
    int left, top, right, bottom;
};

class TextOverlay {
public:
    TextOverlay() = default;
    ~TextOverlay() { release(); }
    TextOverlay(const TextOverlay&) = delete;
    TextOverlay& operator=(const TextOverlay&) = delete;

    // Builds the glyph texture on `device`; false (logged) when it cannot.
    bool create(IDirect3DDevice8* device);
    void release();
    bool created() const { return atlas != nullptr; }

    // Draws `lines` with the panel's top-left corner at (left, top), in
    // pixels of the current render target, rounded down to whole pixels.
    // Characters outside 32..126 show as "?". Nothing is drawn without lines
    // or before create.
    void draw(IDirect3DDevice8* device, const std::vector<std::string>& lines, float left,
              float top);

    static int cellWidth();
    static int cellHeight();
    // Between the panel's edge and the text, on every side.
    static int padding();
    // The panel draw covers for `lines` at (left, top); the cell of column c of
    // line i starts at (left + padding + c * cellWidth, top + padding + i * cellHeight).
    static OverlayRect panelRect(const std::vector<std::string>& lines, float left, float top);

private:
    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR colour;
        float u, v;
    };
    void addQuad(float x, float y, float width, float height, D3DCOLOR colour, float u0, float v0,
                 float u1, float v1);
    bool setStates(IDirect3DDevice8* device);

    IDirect3DTexture8* atlas = nullptr;
    std::vector<Vertex> vertices; // kept between frames: no allocation once grown
};
