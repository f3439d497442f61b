// LWO2 objects. Reading their chunks is not built yet: an object that
// exists gives a MetaMesh without layers (so every object of a scene is
// reported as having an invalid layer and stays without geometry).

#include "base/diag_log.h"
#include "files/virtual_file.h"
#include "mesh_data.h"
#include "scene.h"

#include <memory>

MetaMesh* LW6Scene::loadObject(VirtualFile* archive, const char* name) {
    std::unique_ptr<VirtualFile> file(archive ? archive->clone() : nullptr);
    if (!file || !file->exists(name)) {
        diagLog() << name << " missing!\n";
        return nullptr;
    }
    auto* mesh = new MetaMesh;
    mesh->name = name;
    diagLog() << name << ": LWO2 objects are not read yet\n";
    return mesh;
}
