#pragma once
// Loading and activating metascenes. A metascript is a text file of words,
// each an LWS scene in the data archive; loading reads every scene through
// the LWS loader, which shares objects, surfaces and textures through the
// metascene. One scene that fails abandons the whole metascene (everything
// loaded so far is freed with it). A binary metascene ("KPXS") carries no
// drawable content: empty scene slots and default surfaces.
//
// Activation prepares a current metascene for drawing: texture-coordinate
// sets of every surface, device textures, then each scene's lights and
// objects through a preparation hook, and the used-files lists in the
// diagnostic log. Progress runs 0..0.3 while loading and 0.3..1 while
// activating.

#include "lightwave/meta_scene.h"

#include <memory>
#include <string>
#include <vector>

class DeviceContextBase;
class LW6Scene;
class LWSurface;
class VirtualFile;

// Reports loading progress (0..1); `user` is passed through.
using LoadProgress = void (*)(float progress, void* user);

// Null when the metascript cannot be read or a scene fails to load.
std::unique_ptr<MetaScene> loadMetascript(DeviceContextBase* context, VirtualFile* archive,
                                          const char* fileName, LoadProgress progress = nullptr,
                                          void* user = nullptr);

// The magic, and the counts that follow it (16-bit little-endian each).
constexpr char BINARY_METASCENE_MAGIC[4] = {'K', 'P', 'X', 'S'};

// Null when the file is missing, has another magic, or is shorter than its
// counts say.
std::unique_ptr<MetaScene> loadBinaryMetascene(DeviceContextBase* context, VirtualFile* archive,
                                               const char* fileName);

// The player's lookups by name. Metascenes: the first non-empty entry whose
// name begins with `name` (as written). Surfaces: the last surface of the
// metascene whose key begins with `prefix` (as written).
MetaScene* findMetaByPrefix(const std::vector<std::unique_ptr<MetaScene>>& mts, const char* name);
LWSurface* findSurfaceByPrefix(const MetaScene& meta, const char* prefix);

// The box text a command raises when its target is missing: the scene
// commands (what = 's'), their surface (what = 'f'), the metascene commands
// (what = 'm'); empty for commands that have no such target.
std::string missingTargetText(int eventId, char what);

// The commands that act on a scene of the current metascene, named by their
// first word.
bool isSceneCommand(int eventId);

// Prepares one scene's lights and objects for drawing (the renderer's part);
// may be null while nothing draws.
using PrepareScene = void (*)(LW6Scene& scene, void* user);

// The pictures the player loads at start-up (the loading screen's and the
// second one), which every show needs.
constexpr const char* STARTUP_PICTURES[2] = {"loading.jpg", "sglow.jpg"};

struct Activation {
    LoadProgress progress = nullptr;
    PrepareScene prepareScene = nullptr;
    void* user = nullptr;
    // The show's own files (its script and start-up pictures), listed first
    // among the used files.
    std::vector<std::string> fixedFiles;
};

// Does its work once; activating the metascene again changes nothing.
void activateMetaScene(MetaScene& meta, const Activation& activation);

// The files a metascene uses: the fixed files, the metascript, its scenes,
// the pictures of its textures, then its objects, with "\" separators.
std::vector<std::string> usedFiles(const MetaScene& meta,
                                   const std::vector<std::string>& fixedFiles);
