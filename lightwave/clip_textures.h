#pragma once
// Still images named by objects and scenes become textures of the
// metascene, one per picture and use: the lookup ignores the two low flag
// bits, so a texture whose use bits a surface has set is not shared with a
// new clip.

class LW6Scene;
class Texture;
class VirtualFile;

// The name with "/" after a drive letter ("c:x.tga" becomes "c:/x.tga").
#include <string>
std::string fixDriveName(const char* name);

// Looks up or creates (and loads, flip 1) the texture for a still image;
// flags 3, or 2 when the name contains "_nodxt". Null without a metascene.
Texture* stillTexture(LW6Scene& scene, VirtualFile* archive, const char* name);
