#pragma once
// LightWave objects as loaded: a MetaMesh per LWO2 file with its layers and
// its tag-to-surface table, the transient per-layer data the builders read,
// and the reference-counted vertex maps that layers, surfaces and texture
// layers share.

#include <cstdint>
#include <string>
#include <vector>

class LWSurface;

constexpr int MAXMAPS = 2048;
constexpr int MAXTAGS = 2048;
constexpr int MAX_TEXCOORDS = 4;
constexpr int MAX_MPOS = 1;

// Shared by reference count: the layer holds the first reference; surfaces
// and texture layers add theirs; release() deletes at zero.
class LWVertexMap {
public:
    explicit LWVertexMap(std::string name) : name(std::move(name)) {}
    virtual ~LWVertexMap() = default;
    void addRef() { ++references; }
    void release() {
        if (--references == 0) delete this;
    }
    int referenceCount() const { return references; }

    std::string name;

private:
    int references = 1;
};

struct LWUVMap : LWVertexMap {
    using LWVertexMap::LWVertexMap;
    std::vector<float> u, v; // one per position
    // Discontinuous entries (VMAD): point index, polygon index, u, v.
    std::vector<int> vmadPoint, vmadPolygon;
    std::vector<float> vmadU, vmadV;
};

struct LWColorMap : LWVertexMap {
    using LWVertexMap::LWVertexMap;
    std::vector<float> rgba; // four per position; RGB maps get alpha 1
};

struct LWMorphMap : LWVertexMap {
    using LWVertexMap::LWVertexMap;
    std::vector<float> offsets; // three per position
    uint8_t filled = 0;
};

struct LWPolygon {
    int numVertices = 0;
    std::vector<uint32_t> vertices;
    int srfId = 0; // surface tag (PTAG SURF)
    float weight = 0;
    int first = 0; // used by the mesh builder
    int count = 0;
};

// One LAYR chunk while its object loads; handed to the layer builder.
struct LWLayerData {
    LWLayerData() = default;
    ~LWLayerData();
    LWLayerData(const LWLayerData&) = delete;
    LWLayerData& operator=(const LWLayerData&) = delete;

    int number = 0;
    int numFaces = 0, numLines = 0, numPoints = 0, numMBalls = 0, numPatches = 0, numParticles = 0;
    int numPositions = 0;
    std::vector<float> positions; // 3 per position
    std::vector<LWPolygon> polygons;
    std::vector<LWUVMap*> uvMaps;       // referenced; released with the data
    std::vector<LWColorMap*> colorMaps; // referenced
    std::vector<LWMorphMap*> morphMaps; // referenced
};

class MetaMesh;

// A built layer: the mesh kinds (polygon mesh, progressive mesh, point
// cloud, single particle) derive from it.
class LWObjectLayer {
public:
    virtual ~LWObjectLayer() = default;
    // Clears per-frame caches; answers whether anything changed.
    virtual bool invalidate() { return false; }

    int number = 0;
    std::string name; // "<file>:<number + 1>"
    bool hasTransparency = false;
    MetaMesh* metamesh = nullptr;
};

class MetaMesh {
public:
    MetaMesh() = default;
    ~MetaMesh();
    MetaMesh(const MetaMesh&) = delete;
    MetaMesh& operator=(const MetaMesh&) = delete;

    std::string name;
    std::vector<LWObjectLayer*> layer; // owned; null where a layer made no geometry
    std::vector<LWSurface*> srfs;      // by tag number; owned by the MetaScene
    int numTags = 0;
    bool activated = false;
};
