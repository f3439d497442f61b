#pragma once
// The LWO2 object loader's shared state and its surface reader, used by
// lwo_loader.cpp and surface_reader.cpp.

#include "lwo2_reader.h"
#include "mesh_data.h"

#include <memory>
#include <string>
#include <vector>

class LW6Scene;
class LWEnvelope;
class LWSurface;
class LWTextureLayer;
struct LwoReport;
class Texture;
class VirtualFile;
struct LWAnimValue;

class LwoLoader {
public:
    LwoLoader(LW6Scene& scene, VirtualFile* archive, std::string fileName);
    ~LwoLoader();

    // Reads the chunks of `data` (the file from byte 12 on) into a MetaMesh;
    // null when a surface is not found.
    MetaMesh* load(const uint8_t* data, size_t size);

    // Envelope reference `index` copied into `value` (index 0 and unknown
    // indices: no envelope).
    void takeEnvelope(LWAnimValue& value, uint32_t index);
    LWEnvelope* envelope(uint32_t index) const;
    Texture* clip(uint32_t index) const;

    LW6Scene& scene;
    VirtualFile* archive;
    std::string fileName;
    std::vector<std::unique_ptr<LWLayerData>> layers;
    bool transparency = false;
    LwoReport* report = nullptr;

private:
    bool chunk(uint32_t id, LwoReader& r);
    void readLayer(LwoReader& r);
    void readPoints(LwoReader& r);
    void readPolygons(LwoReader& r);
    void readPolygonTags(LwoReader& r);
    void readTags(LwoReader& r);
    void readVertexMap(LwoReader& r);
    void readDiscontinuousMap(LwoReader& r);
    void readEnvelope(LwoReader& r);
    void readClip(LwoReader& r);
    bool readSurfaceChunk(LwoReader& r);
    MetaMesh* buildMesh();
    void reportClips();
    LWLayerData* currentLayer();

    std::vector<LWEnvelope*> envelopes; // MAXENVS entries, owned by the loader
    std::vector<Texture*> clips;        // MAXTEXS entries, owned by the metascene
    std::vector<LWSurface*> tags;
    int highestLayer = -1;
    int previousSpanShape = 0;
    float previousSpan[3] = {0, 0, 0};
};

// Reads the sub-chunks of one SURF chunk into `surface`.
void readSurface(LwoLoader& loader, LWSurface& surface, LwoReader& r);
