#include "texture_list.h"

#include "texture.h"

TextureList::~TextureList() {
    for (Texture* t : textures) delete t;
}

Texture* TextureList::findTexture(const char* name, uint32_t flags) const {
    for (Texture* t : textures)
        if (t->name == name && textureFlagsMatch(t->flags, flags)) return t;
    return nullptr;
}

void TextureList::addTexture(Texture* texture) {
    textures.push_back(texture);
}

void TextureList::buildAll(Progress progress, void* user) {
    const size_t count = textures.size();
    for (size_t i = 0; i < count; ++i) {
        Texture* t = textures[i];
        t->build();
        if (progress) progress(0.3f + 0.5f * float(i) / float(count), user);
        for (IDirect3DTexture8* d : t->currentTextures)
            if (d) d->PreLoad();
    }
}
