#pragma once
// Still images named by objects and scenes become textures of the
// metascene, one per picture and use: the lookup ignores the two low flag
// bits, so a texture whose use bits a surface has set is not shared with a
// new clip. A picture wanted both as colour and as a transparency or bump
// picture gets a texture for each, since those build differently.

#include <cstdint>
#include <string>

class LW6Scene;
class Texture;
class VirtualFile;

// The name with "/" after a drive letter ("c:x.tga" becomes "c:/x.tga").
std::string fixDriveName(const char* name);

// Looks up or creates (and loads, flip 1) the texture for a still image;
// flags 3, or 2 when the name contains "_nodxt". Null without a metascene.
Texture* stillTexture(LW6Scene& scene, VirtualFile* archive, const char* name);

// The texture a texture layer on clip texture `clip` draws with, for its
// use `use` (TEXTURE_COLOR_LAYER, TEXTURE_ALPHA_FROM_INTENSITY or
// TEXTURE_NORMAL_MAP): the clip's own, unless it is a still image already
// set for the other kind of use (colour against the two others). Then a
// registered still image of that name and use, or a new one loaded like
// the clip's, with its alpha mode. The caller adds the use bits.
Texture* layerTexture(LW6Scene& scene, VirtualFile* archive, Texture* clip, uint32_t use);
