#pragma once
// Writing LWO2 objects: generators and tests describe an object as plain
// records (layers of points and polygons with their vertex maps, surfaces
// with their texture layers, envelopes and clips) and write() lays out the
// IFF chunks (big-endian, even-padded strings, VX indices) in the order the
// player's loader needs them: tags, then per layer LAYR, PNTS, VMAP, POLS,
// PTAG and VMAD, then envelopes, clips and surfaces (a surface refers to
// envelopes, clips and vertex maps by then defined).
//
// Only what the player reads is offered. A value is written when it differs
// from what the player assumes without it, so a plain object stays small.
// Envelopes and clips are numbered from 1 in the order of their vectors; 0
// means none. Layer numbers are 0-based (a scene's LoadObjectLayer 1 is
// layer 0).

#include "lw_envelope.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lwo {

using lw::Behaviour;
using lw::EnvelopeKey;
using lw::Span;

struct Vec3 {
    float x, y, z;
};

// A value that may follow an envelope of the object (1-based; 0: constant).
// A plain number converts, so constant values are assigned as numbers.
struct Animated {
    float value = 0;
    uint32_t envelope = 0;

    Animated() = default;
    Animated(float value, uint32_t envelope = 0) : value(value), envelope(envelope) {}
};

// An ENVL chunk.
struct Envelope : lw::Envelope {
    std::string name; // written when not empty
    int type = 0;     // the format's type word (U2), written when not 0
};

enum class TextureKind { Image, Procedural, Gradient };
enum Projection {
    PROJECT_PLANAR = 0,
    PROJECT_CYLINDRICAL = 1,
    PROJECT_SPHERICAL = 2,
    PROJECT_CUBIC = 3,
    PROJECT_FRONT = 4,
    PROJECT_UV = 5
};
// Image wrap codes beyond the picture's edges.
enum Wrap { WRAP_RESET = 0, WRAP_REPEAT = 1, WRAP_MIRROR = 2, WRAP_EDGE = 3 };
// Gradient inputs, in the player's order of names.
enum GradientInput {
    INPUT_PREVIOUS_LAYER,
    INPUT_BUMP,
    INPUT_SLOPE,
    INPUT_INCIDENCE_ANGLE,
    INPUT_LIGHT_INCIDENCE,
    INPUT_DISTANCE_TO_CAMERA,
    INPUT_DISTANCE_TO_OBJECT,
    INPUT_X_DISTANCE_TO_OBJECT,
    INPUT_Y_DISTANCE_TO_OBJECT,
    INPUT_Z_DISTANCE_TO_OBJECT,
    INPUT_WEIGHT_MAP
};

struct GradientKey {
    float input = 0;
    float colour[4] = {0, 0, 0, 1}; // red, green, blue, alpha (0..1)
    int interpolation = 0;          // 0 linear, 1 spline, 2 step
};

// A texture layer of a surface (a BLOK). `channel` is "COLR", "DIFF",
// "TRAN", "BUMP", ...; `axis` 0 X, 1 Y, 2 Z.
struct TextureLayer {
    TextureKind kind = TextureKind::Image;
    std::string channel = "COLR";
    bool enabled = true;
    bool negative = false;
    int opacityType = 0; // 0 normal blending, others as the format numbers them
    Animated opacity{1.0f};

    // Image and procedural layers: where the texture sits. Rotation is
    // heading, pitch, bank in radians. Each axis may have its own envelope.
    Vec3 centre{0, 0, 0};
    Vec3 size{1, 1, 1};
    Vec3 rotation{0, 0, 0};
    uint32_t centreEnvelopes[3] = {0, 0, 0};
    uint32_t sizeEnvelopes[3] = {0, 0, 0};
    uint32_t rotationEnvelopes[3] = {0, 0, 0};
    int axis = 2;

    // Image layers.
    uint32_t clip = 0; // a clip of the object
    int projection = PROJECT_PLANAR;
    std::string uvMap; // UV projection: the layers' UV map of this name
    int wrapWidth = WRAP_REPEAT, wrapHeight = WRAP_REPEAT;
    float widthRepeat = 1, heightRepeat = 1; // cylindrical and spherical wraps
    float antialiasStrength = 1;
    bool pixelBlending = true;

    // Bump strength; read for "BUMP" layers, where it is always written.
    Animated amplitude{1.0f};

    // Procedural layers: the procedure's name and its parameters as raw bytes.
    std::string procedure;
    std::vector<uint8_t> parameters;

    // Gradient layers.
    int gradientInput = INPUT_PREVIOUS_LAYER;
    float gradientStart = 0, gradientEnd = 1;
    std::vector<GradientKey> gradientKeys;
};
using ImageLayer = TextureLayer;

struct Surface {
    std::string name;
    Vec3 colour{0.8f, 0.8f, 0.8f};
    // Colour envelopes: three in a row (red, green, blue), this the first.
    uint32_t colourEnvelope = 0;
    Animated diffuse{1.0f};
    Animated luminosity;
    Animated specularity;
    Animated glossiness{0.4f};
    Animated reflection;
    Animated transparency;
    Animated additiveTransparency;
    Animated refractiveIndex;
    Animated colourFilter;
    Animated bump{1.0f};
    float colourHighlights = 0; // 0..1; the player only asks whether it is on
    bool doubleSided = false;
    float smoothingAngle = 0;     // degrees; 0 keeps the default
    int reflectionOptions = 1;    // 0 backdrop only, 1 and 2 with an image, 3 rendered cube
    uint32_t reflectionImage = 0; // a clip of the object
    std::string vertexColours;    // a colour map of the object's layers, shown on the surface
    float vertexColourAmount = 1;
    std::vector<TextureLayer> layers;
};

struct Polygon {
    std::vector<uint32_t> points; // indices into the layer's points, in order
    int surface = 0;              // index into the object's surfaces
};

struct UV {
    uint32_t point;
    float u, v;
};
// A UV of a point as one polygon sees it (a seam).
struct PolygonUV {
    uint32_t point, polygon;
    float u, v;
};
struct UVMap {
    std::string name;
    std::vector<UV> entries;
    std::vector<PolygonUV> discontinuous;
};

struct Colour {
    uint32_t point;
    float rgba[4]; // 0..1; alpha written for RGBA maps only
};
struct ColourMap {
    std::string name;
    bool alpha = false; // RGBA rather than RGB
    std::vector<Colour> entries;
};

struct Offset {
    uint32_t point;
    Vec3 offset;
};
// A morph target: offsets from the layer's points.
struct MorphMap {
    std::string name;
    std::vector<Offset> entries;
};

struct Layer {
    int number = 0;
    std::string name;
    Vec3 pivot{0, 0, 0};
    std::vector<Vec3> points;
    std::vector<Polygon> polygons;
    std::vector<UVMap> uvMaps;
    std::vector<ColourMap> colourMaps;
    std::vector<MorphMap> morphMaps;
};

// A clip: a still image, or an image sequence when `sequencePrefix` is set.
// A name converts, so a list of names is a list of stills.
struct Clip {
    Clip() = default;
    Clip(std::string still) : still(std::move(still)) {}
    Clip(const char* still) : still(still) {}

    std::string still;
    // Frames named prefix + number (`digits` digits) + suffix, first..last.
    std::string sequencePrefix, sequenceSuffix;
    int digits = 3;
    int firstFrame = 0, lastFrame = 0;
    int frameOffset = 0;
    float frameRate = 0; // frames per second, written when not 0
    int alphaMode = -1;  // written when not negative
};

struct Object {
    std::vector<Layer> layers;
    std::vector<Surface> surfaces;
    std::vector<Clip> clips;         // clip i + 1 is clips[i]
    std::vector<Envelope> envelopes; // envelope i + 1 is envelopes[i]
};

// The file's bytes.
std::vector<uint8_t> write(const Object& object);

// Appends `envelope` and answers its number.
uint32_t addEnvelope(Object& object, Envelope envelope);

// A layer with one square of side `size` facing -Z, centred at `centre`, in
// surface `surface`; its points are appended to the layer.
void addSquare(Layer& layer, Vec3 centre, float size, int surface);

} // namespace lwo
