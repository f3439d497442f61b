// Metascenes loaded from metascripts and binary files, and activated, without
// a device: scenes and objects written by the test into memory files, and a
// real scene from the shared test data.

#include "base/diag_log.h"
#include "base/message_box.h"
#include "files/disk_file.h"
#include "images/texture.h"
#include "lightwave/lwo_builder.h"
#include "lightwave/mesh_data.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "support/memory_file.h"
#include "timeline/metascene_loader.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

namespace {

using B = LwoBuilder;
using Bytes = LwoBuilder::Bytes;

// A one-triangle object whose surface "Skin" shows picture `image` (no such
// file: the texture builds its fallback) as colour.
Bytes texturedObject(const std::string& image) {
    return B::pictureTriangle("Skin", image);
}

std::string sceneWith(const std::vector<std::string>& objects) {
    std::string text = "LWSC\n3\n";
    for (const std::string& o : objects) text += "LoadObjectLayer 1 " + o + "\n";
    return text + "AddLight\nAddCamera\n";
}

struct Files {
    std::shared_ptr<MemoryFile::Files> files = std::make_shared<MemoryFile::Files>();
    MemoryFile memory{files};
    void put(const std::string& name, const std::string& text) {
        (*files)[name] = std::vector<uint8_t>(text.begin(), text.end());
    }
    void put(const std::string& name, const Bytes& bytes) { (*files)[name] = bytes; }
};

void recordProgress(float progress, void* user) {
    static_cast<std::vector<float>*>(user)->push_back(progress);
}

} // namespace

TEST(Metascript, ScenesShareObjectsSurfacesAndTexturesAndReportProgress) {
    MessageRecorder messages;
    Files f;
    f.put("ship.lwo", texturedObject("hull.tga"));
    f.put("rock.lwo", texturedObject("stone.tga"));
    f.put("one.lws", sceneWith({"ship.lwo"}));
    f.put("two.lws", sceneWith({"ship.lwo", "rock.lwo"}));
    f.put("three.lws", sceneWith({"rock.lwo"}));
    f.put("show.txt", "one.lws\n  two.lws ; a comment\nthree.lws\n");
    std::vector<float> progress;
    std::unique_ptr<MetaScene> meta =
        loadMetascript(nullptr, &f.memory, "show.txt", recordProgress, &progress);
    ASSERT_TRUE(meta);
    EXPECT_EQ("show.txt", meta->name);
    ASSERT_EQ(3u, meta->scenes.size());
    EXPECT_EQ("two.lws", meta->scenes[1]->fileName);
    EXPECT_EQ(2u, meta->meshes.size()); // each object once
    EXPECT_EQ(2u, meta->surfaces.size());
    EXPECT_NE(nullptr, meta->findSurface("ship.lwo@Skin"));
    EXPECT_EQ(2u, meta->textures.all().size());
    // 0.3 x (scenes loaded before) / n after each scene.
    ASSERT_EQ(3u, progress.size());
    EXPECT_FLOAT_EQ(0.0f, progress[0]);
    EXPECT_FLOAT_EQ(0.1f, progress[1]);
    EXPECT_FLOAT_EQ(0.2f, progress[2]);
    for (const Message& m : messages.messages()) ADD_FAILURE() << m.text;
    // Scenes by name prefix, any case; the first of several wins.
    EXPECT_EQ(meta->scenes[1].get(), meta->findScene("TW"));
    EXPECT_EQ(meta->scenes[0].get(), meta->findScene(""));
    EXPECT_EQ(nullptr, meta->findScene("four"));
}

TEST(Metascript, EmptyMissingAndFailingMetascripts) {
    MessageRecorder messages;
    Files f;
    f.put("empty.txt", "  ; nothing here\n");
    std::unique_ptr<MetaScene> empty = loadMetascript(nullptr, &f.memory, "empty.txt");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->scenes.empty());

    EXPECT_EQ(nullptr, loadMetascript(nullptr, &f.memory, "absent.txt"));

    // The second of three scenes is not a scene: everything loaded is freed
    // (the sanitizer sees any leak) and nothing is returned.
    f.put("ship.lwo", texturedObject("hull.tga"));
    f.put("good.lws", sceneWith({"ship.lwo"}));
    f.put("bad.lws", "LWSC\n2\n");
    f.put("broken.txt", "good.lws bad.lws good.lws");
    EXPECT_EQ(nullptr, loadMetascript(nullptr, &f.memory, "broken.txt"));
    f.put("missing.txt", "good.lws nowhere.lws");
    EXPECT_EQ(nullptr, loadMetascript(nullptr, &f.memory, "missing.txt"));
}

TEST(Metascript, TheSharedQuickDrawSceneLoadsInItsFolder) {
    MessageRecorder messages;
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::string(NL_TESTDATA_DIR) + "/lws/quickdraw/LWS");
    Files f;
    f.put("meta.txt", "\"QuickDraw v.2.2.lws\"");
    DiskFile disk;
    // The metascript from memory, the scene and its objects from the disk.
    struct Both : MemoryFile {
        using MemoryFile::MemoryFile;
        DiskFile* disk = nullptr;
        VirtualFile* clone() const override { return disk->clone(); }
    } both(f.files);
    both.disk = &disk;
    std::unique_ptr<MetaScene> meta = loadMetascript(nullptr, &both, "meta.txt");
    std::filesystem::current_path(previous);
    ASSERT_TRUE(meta);
    ASSERT_EQ(1u, meta->scenes.size());
    EXPECT_EQ(20u, meta->scenes[0]->objects.size());
    EXPECT_EQ(11u, meta->meshes.size());
    EXPECT_EQ(0u, messages.count());
}

TEST(BinaryMetascene, AcceptsItsMagicAndCountsAndRefusesTheRest) {
    Files f;
    f.put("good.kpx", std::string("KPXS\x03\x00\x02\x00", 8));
    std::unique_ptr<MetaScene> meta = loadBinaryMetascene(nullptr, &f.memory, "good.kpx");
    ASSERT_TRUE(meta);
    EXPECT_EQ("good.kpx", meta->name);
    EXPECT_EQ(3, meta->emptySceneSlots);
    EXPECT_EQ(2u, meta->surfaces.size());
    EXPECT_TRUE(meta->scenes.empty()); // nothing to draw
    EXPECT_EQ(nullptr, meta->findScene(""));

    f.put("other.kpx", std::string("KPXT\x01\x00\x01\x00", 8));
    f.put("short.kpx", std::string("KPXS\x01\x00\x01", 7));
    f.put("tiny.kpx", std::string("KP", 2));
    EXPECT_EQ(nullptr, loadBinaryMetascene(nullptr, &f.memory, "other.kpx"));
    EXPECT_EQ(nullptr, loadBinaryMetascene(nullptr, &f.memory, "short.kpx"));
    EXPECT_EQ(nullptr, loadBinaryMetascene(nullptr, &f.memory, "tiny.kpx"));
    EXPECT_EQ(nullptr, loadBinaryMetascene(nullptr, &f.memory, "absent.kpx"));
}

TEST(Activation, BuildsTexturesPreparesScenesAndListsTheFilesUsed) {
    MessageRecorder messages;
    Files f;
    f.put("Objects/ship.lwo", texturedObject("Pics/hull.tga"));
    f.put("rock.lwo", texturedObject("stone.tga"));
    f.put("one.lws", sceneWith({"Objects/ship.lwo"}));
    f.put("two.lws", sceneWith({"rock.lwo", "Objects/ship.lwo"}));
    f.put("show.txt", "one.lws two.lws");
    std::unique_ptr<MetaScene> meta = loadMetascript(nullptr, &f.memory, "show.txt");
    ASSERT_TRUE(meta);

    struct Seen {
        std::vector<float> progress;
        std::vector<std::string> prepared;
    } seen;
    Activation a;
    a.progress = [](float p, void* user) { static_cast<Seen*>(user)->progress.push_back(p); };
    a.prepareScene = [](LW6Scene& s, void* user) {
        static_cast<Seen*>(user)->prepared.push_back(s.fileName);
    };
    a.user = &seen;
    a.fixedFiles = {"scene.scr", "loading.jpg", "sglow.jpg"};
    std::ostringstream log;
    {
        DiagLogRedirect redirect(log);
        activateMetaScene(*meta, a);
    }
    // Textures 0.3 + 0.5 i / m, then scenes 0.8 + 0.2 i / k.
    const std::vector<float> expected = {0.3f, 0.55f, 0.8f, 0.9f};
    ASSERT_EQ(expected.size(), seen.progress.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_FLOAT_EQ(expected[i], seen.progress[i]);
    EXPECT_EQ((std::vector<std::string>{"one.lws", "two.lws"}), seen.prepared);
    for (const Texture* t : meta->textures.all()) EXPECT_EQ(nullptr, t->pixels.get());

    const std::string text = log.str();
    const std::string unsorted = "-------- unsorted files ----------\n"
                                 "scene.scr\nloading.jpg\nsglow.jpg\nshow.txt\none.lws\ntwo.lws\n"
                                 "Pics\\hull.tga\nstone.tga\nObjects\\ship.lwo\nrock.lwo\n";
    const std::string used = "-------- used files ----------\n"
                             "Objects\\ship.lwo\nPics\\hull.tga\nloading.jpg\none.lws\nrock.lwo\n"
                             "scene.scr\nsglow.jpg\nshow.txt\nstone.tga\ntwo.lws\n";
    EXPECT_NE(std::string::npos, text.find(unsorted + used)) << text;

    // Activated again (a show that returns to it): nothing is built or
    // prepared twice, and nothing is reported missing.
    std::ostringstream again;
    const size_t boxes = messages.count();
    {
        DiagLogRedirect redirect(again);
        activateMetaScene(*meta, a);
    }
    EXPECT_EQ(expected.size(), seen.progress.size());
    EXPECT_EQ(2u, seen.prepared.size());
    EXPECT_EQ(std::string::npos, again.str().find("missing")) << again.str();
    EXPECT_EQ(boxes, messages.count());
}

TEST(Activation, RepeatedNamesAreListedOnceWhenSorted) {
    MetaScene meta(nullptr);
    meta.name = "a/b.txt";
    const std::vector<std::string> files = usedFiles(meta, {"x.jpg", "a/b.txt"});
    EXPECT_EQ((std::vector<std::string>{"x.jpg", "a\\b.txt", "a\\b.txt"}), files);
}
