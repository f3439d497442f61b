#pragma once
// The registry of textures a metascene owns: loaders look a picture up by
// name and flags before creating it, so every file is decoded and uploaded
// once. The list owns its textures and deletes them with itself.

#include <cstdint>
#include <vector>

class Texture;

class TextureList {
public:
    TextureList() = default;
    ~TextureList();
    TextureList(const TextureList&) = delete;
    TextureList& operator=(const TextureList&) = delete;

    // First texture, in insertion order, whose name equals `name` exactly and
    // whose flags match apart from compress and mipmaps; null when none.
    Texture* findTexture(const char* name, uint32_t flags) const;
    // First texture whose name equals `name` exactly, whatever its flags.
    Texture* findByName(const char* name) const;
    // Appends; the list takes ownership.
    void addTexture(Texture* texture);
    // Builds every texture in order, reporting 0.3 + 0.5 * i / count after
    // each, then preloads its current textures.
    using Progress = void (*)(float progress, void* user);
    void buildAll(Progress progress, void* user);

    const std::vector<Texture*>& all() const { return textures; }
    // Deletes every texture now.
    void clear();

private:
    std::vector<Texture*> textures;
};
