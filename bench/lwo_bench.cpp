// LWO2 load times for the shared test objects: the player's loader (file
// already in memory, through the archive interface) beside the Open Asset
// Import Library reading the same bytes from memory with no post-processing.
//
//   lwo_bench [TESTDATA_DIR]

#include "base/diag_log.h"
#include "base/message_box.h"
#include "lightwave/mesh_data.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "tests/support/memory_file.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double ours(const std::vector<uint8_t>& bytes, int rounds) {
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["object.lwo"] = bytes;
    MemoryFile memory(files);
    const auto start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        MetaScene meta(nullptr);
        auto* scene = new LW6Scene(nullptr, &meta);
        meta.scenes.emplace_back(scene);
        if (MetaMesh* mesh = scene->loadObject(&memory, "object.lwo")) meta.meshes.emplace_back(mesh);
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / rounds;
}

double assimp(const std::vector<uint8_t>& bytes, int rounds, bool* ok) {
    const auto start = Clock::now();
    *ok = true;
    for (int r = 0; r < rounds; ++r) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "lwo");
        *ok &= scene != nullptr;
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / rounds;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path testdata = argc > 1 ? fs::path(argv[1]) : fs::path(NL_TESTDATA_DIR);
    MessageRecorder quiet;
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(testdata))
        if (e.is_regular_file() && e.path().extension() == ".lwo" &&
            e.path().parent_path().filename() != "negative")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::printf("%-36s %9s %12s %12s %7s\n", "object", "bytes", "ours (ms)", "assimp (ms)",
                "ratio");
    double sumOurs = 0, sumTheirs = 0;
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        const int rounds = 20;
        bool theirsOk = false;
        const double a = ours(bytes, rounds), b = assimp(bytes, rounds, &theirsOk);
        std::printf("%-36s %9zu %12.3f %12.3f %7.2f%s\n", f.filename().string().c_str(),
                    bytes.size(), a * 1e3, b * 1e3, b / a, theirsOk ? "" : "  (assimp refused)");
        sumOurs += a;
        sumTheirs += b;
    }
    std::printf("all %zu objects: ours %.2f ms, assimp %.2f ms (%.1fx)\n", files.size(),
                sumOurs * 1e3, sumTheirs * 1e3, sumTheirs / sumOurs);
    return 0;
}
