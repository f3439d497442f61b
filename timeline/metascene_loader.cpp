#include "metascene_loader.h"

#include "base/byte_reader.h"
#include "timeline/event_script.h"
#include "base/diag_log.h"
#include "files/text_tokenizer.h"
#include "files/virtual_file.h"
#include "images/texture.h"
#include "lightwave/mesh_data.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<MetaScene> loadMetascript(DeviceContextBase* context, VirtualFile* archive,
                                          const char* fileName, LoadProgress progress, void* user) {
    auto meta = std::make_unique<MetaScene>(context);
    meta->name = fileName;
    TextTokenizer tokenizer(archive);
    if (!tokenizer.load(fileName)) return nullptr;
    // All names first: the progress counts scenes against the whole list.
    std::vector<std::string> names;
    while (!tokenizer.atEnd()) {
        const char* word = tokenizer.readWord();
        if (!*word) break;
        names.emplace_back(word);
    }
    const size_t count = names.size();
    for (size_t i = 0; i < count; ++i) {
        auto scene = std::make_unique<LW6Scene>(context, meta.get());
        if (!scene->loadScene(archive, names[i].c_str())) return nullptr;
        if (progress) progress(0.3f * float(i) / float(count), user);
        meta->scenes.push_back(std::move(scene));
    }
    return meta;
}

std::unique_ptr<MetaScene> loadBinaryMetascene(DeviceContextBase* context, VirtualFile* archive,
                                               const char* fileName) {
    std::unique_ptr<VirtualFile> file(archive ? archive->clone() : nullptr);
    if (!file || !file->openRead(fileName)) return nullptr;
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> bytes(readRemaining(*file, &size));
    file->close();
    ByteReader in(bytes.get(), size);
    char magic[4] = {};
    if (!in.bytes(magic, 4) || std::memcmp(magic, BINARY_METASCENE_MAGIC, 4) != 0) return nullptr;
    const uint16_t slots = in.u16le();
    const uint16_t surfaces = in.u16le();
    if (in.failed()) return nullptr; // shorter than its counts
    auto meta = std::make_unique<MetaScene>(context);
    meta->name = fileName;
    meta->emptySceneSlots = slots;
    for (uint16_t i = 0; i < surfaces; ++i) meta->surfaces.push_back(std::make_unique<LWSurface>());
    return meta;
}

std::vector<std::string> usedFiles(const MetaScene& meta,
                                   const std::vector<std::string>& fixedFiles) {
    std::vector<std::string> files = fixedFiles;
    files.push_back(meta.name);
    for (const auto& scene : meta.scenes) files.push_back(scene->fileName);
    for (const Texture* texture : meta.textures.all())
        if (dynamic_cast<const ImageTexture*>(texture) && !texture->name.empty())
            files.push_back(texture->name);
    for (const auto& mesh : meta.meshes) files.push_back(mesh->name);
    for (std::string& f : files) std::replace(f.begin(), f.end(), '/', '\\');
    return files;
}

void activateMetaScene(MetaScene& meta, const Activation& a) {
    // Everything is prepared once: a picture is freed when its texture is
    // built, so a second build would find nothing and a second preparation
    // would make the scenes' resources twice.
    if (meta.activated) return;
    meta.activated = true;
    // Listed before the build: a missing picture's fallback loses its name.
    std::vector<std::string> files = usedFiles(meta, a.fixedFiles);
    for (const auto& surface : meta.surfaces) assignTexcoords(*surface);
    meta.textures.buildAll(a.progress, a.user);
    const size_t count = meta.scenes.size();
    for (size_t i = 0; i < count; ++i) {
        if (a.prepareScene) a.prepareScene(*meta.scenes[i], a.user);
        if (a.progress) a.progress(0.8f + 0.2f * float(i) / float(count), a.user);
    }

    std::ostream& log = diagLog();
    log << "-------- unsorted files ----------\n";
    for (const std::string& f : files) log << f << "\n";
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    log << "-------- used files ----------\n";
    for (const std::string& f : files) log << f << "\n";
}

MetaScene* findMetaByPrefix(const std::vector<std::unique_ptr<MetaScene>>& mts, const char* name) {
    const size_t n = std::strlen(name);
    for (const std::unique_ptr<MetaScene>& m : mts)
        if (m && m->name.compare(0, n, name) == 0) return m.get();
    return nullptr;
}

LWSurface* findSurfaceByPrefix(const MetaScene& meta, const char* prefix) {
    const size_t n = std::strlen(prefix);
    for (auto it = meta.surfaces.rbegin(); it != meta.surfaces.rend(); ++it)
        if ((*it)->name.compare(0, n, prefix) == 0) return it->get();
    return nullptr;
}

std::string missingTargetText(int id, char what) {
    if (what == 'm') {
        if (id == EV_ACTIVEMETA) return "m != mts.size() && \"activemeta: Name nicht vorhanden\"";
        if (id == EV_FREEMETA) return "m != mts.size() && \"freemeta: Name nicht vorhanden\"";
        if (id == EV_LOADMETASCRIPT) return "metascene != NULL && \"Failed loading metascript!\"";
        return "";
    }
    if (what == 'f') {
        if (id == EV_SETRT) return "surface != NULL && \"setrt: Surface nicht vorhanden\"";
        if (id == EV_PICFADEIN || id == EV_PICFADEOUT || id == EV_PICFLASH)
            return "surface != NULL && \"picture fader: Surface nicht vorhanden\"";
        return "";
    }
    if (!isSceneCommand(id)) return "";
    if (id == EV_SCREENSHOT) return "scene != NULL && \"screenshot: scenename nicht vorhanden\"";
    return std::string("scene != NULL && \"") + keywordById(id)->name + ": Name nicht vorhanden\"";
}

bool isSceneCommand(int id) {
    switch (id) {
    case EV_CAM:
    case EV_SETRT:
    case EV_HOLD:
    case EV_START:
    case EV_STOP:
    case EV_CLEAR:
    case EV_VIEW:
    case EV_SETPOS:
    case EV_SCREENSHOT:
    case EV_CONTINUE:
    case EV_BLUR:
    case EV_XFADE:
        return true;
    default:
        return false;
    }
}
