// Archive compression figures on a fixed corpus: the shared test files plus
// generated script text. Reports method 1's ratio and its compression and
// decompression speed, beside zlib at level 9 (gzip -9's ratio) and zlib's
// inflate speed for reference.
//
//   archive_bench [TESTDATA_DIR]

#include "files/method1.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<std::vector<uint8_t>> corpus(const fs::path& testdata) {
    std::vector<std::vector<uint8_t>> files;
    for (const auto& item : fs::recursive_directory_iterator(testdata)) {
        if (!item.is_regular_file()) continue;
        std::ifstream in(item.path(), std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // A long event script, the kind of text the archive holds most of.
    std::string script;
    static const char* commands[] = {
        "flash 0xFFFFFFFF", "fade 0x00000000 500", "cam 2",
        "start tunnel",     "stop tunnel",         "picfade logo.tga 1000"};
    uint32_t rng = 1;
    for (int i = 0; script.size() < 1000000; ++i) {
        rng = rng * 1664525u + 1013904223u;
        script += std::to_string(i / 600) + ":" + std::to_string(i / 10 % 60) + "." +
                  std::to_string(i % 10 * 100) + " " + commands[(rng >> 16) % 6] + "\n";
    }
    files.emplace_back(script.begin(), script.end());
    return files;
}

} // namespace

int main(int argc, char** argv) {
    fs::path testdata = argc > 1 ? fs::path(argv[1]) : fs::path(NL_TESTDATA_DIR);
    auto files = corpus(testdata);
    size_t total = 0;
    for (auto& f : files) total += f.size();
    std::printf("corpus: %zu files, %.2f MB (%s + generated script)\n", files.size(), total / 1e6,
                testdata.string().c_str());

    const int rounds = 3;
    size_t packedTotal = 0;
    std::vector<std::vector<uint8_t>> packed;
    auto start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        packed.clear();
        packedTotal = 0;
        for (auto& f : files) {
            packed.push_back(compressMethod1(f.data(), uint32_t(f.size())));
            packedTotal += packed.back().size();
        }
    }
    double compressTime = secondsSince(start) / rounds;

    std::vector<uint8_t> out;
    start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (size_t i = 0; i < files.size(); ++i) {
            out.resize(files[i].size() + 1);
            if (!decompressMethod1(packed[i].data(), uint32_t(packed[i].size()), out.data(),
                                   uint32_t(files[i].size()))) {
                std::fprintf(stderr, "decompression failed on file %zu\n", i);
                return 1;
            }
        }
    }
    double decompressTime = secondsSince(start) / rounds;

    size_t zTotal = 0;
    std::vector<std::vector<uint8_t>> zPacked;
    for (auto& f : files) {
        uLongf n = compressBound(uLong(f.size()));
        std::vector<uint8_t> z(n);
        compress2(z.data(), &n, f.data(), uLong(f.size()), 9);
        z.resize(n);
        zTotal += n;
        zPacked.push_back(std::move(z));
    }
    start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (size_t i = 0; i < files.size(); ++i) {
            uLongf n = uLongf(files[i].size());
            out.resize(n + 1);
            uncompress(out.data(), &n, zPacked[i].data(), uLong(zPacked[i].size()));
        }
    }
    double inflateTime = secondsSince(start) / rounds;

    std::printf("method 1: ratio %.3f (%zu -> %zu bytes)\n", double(packedTotal) / total, total,
                packedTotal);
    std::printf("method 1: compression   %7.2f MB/s\n", total / 1e6 / compressTime);
    std::printf("method 1: decompression %7.2f MB/s\n", total / 1e6 / decompressTime);
    std::printf("zlib -9:  ratio %.3f (%zu bytes)\n", double(zTotal) / total, zTotal);
    std::printf("zlib:     inflate       %7.2f MB/s\n", total / 1e6 / inflateTime);
    return 0;
}
