#pragma once
// Writing LWO2 objects: the show's generators (and tests) describe an object
// as layers of points and polygons with surfaces, and the writer lays out the
// IFF chunks (big-endian, even-padded strings, VX indices) the loader reads.
// Only what the show uses is offered: still-image clips, and surfaces with a
// colour and image texture layers.

#include <cstdint>
#include <string>
#include <vector>

namespace lwo {

struct Vec3 {
    float x, y, z;
};

// An image texture layer of a surface: `channel` is "COLR", "DIFF", "TRAN",
// "BUMP", ...; `projection` 0 planar, 1 cylindrical, 2 spherical, 3 cubic,
// 4 front, 5 UV; `axis` 0 X, 1 Y, 2 Z.
struct ImageLayer {
    std::string channel = "COLR";
    uint32_t clip = 0; // index of a clip of the object
    int projection = 0;
    int axis = 2;
    Vec3 centre{0, 0, 0};
    Vec3 size{1, 1, 1};
    float opacity = 1.0f;
};

struct Surface {
    std::string name;
    Vec3 colour{0.8f, 0.8f, 0.8f};
    float diffuse = 1.0f;
    float luminosity = 0;
    float transparency = 0;
    float additiveTransparency = 0;
    bool doubleSided = false;
    float smoothingAngle = 0; // degrees; 0 keeps the default
    std::vector<ImageLayer> layers;
};

struct Polygon {
    std::vector<uint32_t> points; // indices into the layer's points, in order
    int surface = 0;              // index into the object's surfaces
};

struct Layer {
    int number = 0;
    std::string name;
    std::vector<Vec3> points;
    std::vector<Polygon> polygons;
};

struct Object {
    std::vector<Layer> layers;
    std::vector<Surface> surfaces;
    std::vector<std::string> clips; // still images; clip i + 1 is clips[i]
};

// The file's bytes.
std::vector<uint8_t> write(const Object& object);

// A layer with one square of side `size` facing -Z, centred at `centre`, in
// surface `surface`; its points are appended to the layer.
void addSquare(Layer& layer, Vec3 centre, float size, int surface);

} // namespace lwo
