// Texture preparation figures for the shared test pictures: the whole build
// path of a picture texture without the device (decode, bilinear resample to
// the power-of-two size, box-filtered mip chain, DXT1 of every level), in
// megapixels of level 0 per second; and DXT1 quality as RMSE against the
// resampled level 0, beside libsquish's cluster fit as the reference.
//
//   texture_bench [TESTDATA_DIR]

#include "base/message_box.h"
#include "d3dx/pixel_ops.h"
#include "files/disk_file.h"
#include "images/picture_loader.h"
#include "images/picture_sampler.h"
#include "images/texture_pixels.h"

#include <squish.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Prepared {
    int width = 0, height = 0;
    std::vector<std::vector<uint32_t>> levels;
    size_t compressedBytes = 0;
};

// The build path as Texture::build and finish run it, on the host.
Prepared prepare(const Picture& picture) {
    Prepared p;
    textureDestinationSize(picture.width, picture.height, 4096, 4096, &p.width, &p.height);
    std::vector<uint32_t> level(size_t(p.width) * size_t(p.height));
    auto sample = [&](float x, float y) {
        return sampleBilinear(picture.pixels.get(), x, y, picture.width, picture.height);
    };
    resampleLevel(level.data(), p.width, p.height, p.width, picture.width, picture.height, 3,
                  ALPHA_KEEP, sample, false, sample);
    int w = p.width, h = p.height;
    p.levels.push_back(std::move(level));
    while (w > 1 || h > 1) {
        std::vector<uint32_t> next(size_t(mipExtent(w)) * size_t(mipExtent(h)));
        boxFilterLevel(p.levels.back().data(), w, h, w, next.data(), mipExtent(w));
        w = mipExtent(w);
        h = mipExtent(h);
        p.levels.push_back(std::move(next));
    }
    w = p.width;
    h = p.height;
    for (const auto& l : p.levels) {
        const int blocksWide = (w + 3) / 4, blocksHigh = (h + 3) / 4;
        std::vector<uint8_t> blocks(size_t(blocksWide) * size_t(blocksHigh) * 8);
        compressDxt(l.data(), w, h, w, false, blocks.data(), blocksWide * 8);
        p.compressedBytes += blocks.size();
        w = mipExtent(w);
        h = mipExtent(h);
    }
    return p;
}

double rmseRgb(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int s = 0; s < 24; s += 8) {
            const double d = double((a[i] >> s) & 0xFF) - double((b[i] >> s) & 0xFF);
            sum += d * d;
        }
    return std::sqrt(sum / double(a.size() * 3));
}

double stbRmse(const std::vector<uint32_t>& level, int w, int h) {
    const int pitch = ((w + 3) / 4) * 8;
    std::vector<uint8_t> blocks(size_t(pitch) * size_t((h + 3) / 4));
    compressDxt(level.data(), w, h, w, false, blocks.data(), pitch);
    std::vector<uint32_t> back(level.size());
    decompressDxt(blocks.data(), pitch, w, h, false, back.data(), w);
    return rmseRgb(level, back);
}

double squishRmse(const std::vector<uint32_t>& level, int w, int h) {
    std::vector<uint8_t> rgba(level.size() * 4);
    for (size_t i = 0; i < level.size(); ++i) {
        rgba[4 * i] = uint8_t(level[i] >> 16);
        rgba[4 * i + 1] = uint8_t(level[i] >> 8);
        rgba[4 * i + 2] = uint8_t(level[i]);
        rgba[4 * i + 3] = 255;
    }
    const int flags = squish::kDxt1 | squish::kColourClusterFit;
    std::vector<uint8_t> blocks(size_t(squish::GetStorageRequirements(w, h, flags)));
    squish::CompressImage(rgba.data(), w, h, blocks.data(), flags);
    std::vector<uint8_t> out(rgba.size());
    squish::DecompressImage(out.data(), w, h, blocks.data(), flags);
    std::vector<uint32_t> back(level.size());
    for (size_t i = 0; i < back.size(); ++i)
        back[i] = 0xFF000000u | uint32_t(out[4 * i]) << 16 | uint32_t(out[4 * i + 1]) << 8 |
                  out[4 * i + 2];
    return rmseRgb(level, back);
}

} // namespace

int main(int argc, char** argv) {
    const fs::path testdata = argc > 1 ? fs::path(argv[1]) : fs::path(NL_TESTDATA_DIR);
    MessageRecorder quiet;
    std::vector<fs::path> files;
    for (const auto& item : fs::recursive_directory_iterator(testdata / "images"))
        if (item.is_regular_file() && item.path().parent_path().filename() != "ref")
            files.push_back(item.path());
    std::sort(files.begin(), files.end());

    std::printf("%-36s %9s %9s %8s %8s %8s\n", "picture", "texture", "Mpx/s", "dxt1", "squish",
                "ratio");
    double totalSeconds = 0, totalMegapixels = 0, stbSum = 0, squishSum = 0;
    int counted = 0;
    for (const fs::path& file : files) {
        DiskFile disk;
        Picture picture;
        const std::string name = file.string();
        if (pictureFormatOf(name.c_str()) == PictureFormat::Unknown) continue;
        const int rounds = 5;
        Prepared p;
        const auto start = Clock::now();
        bool ok = true;
        for (int r = 0; r < rounds && ok; ++r) {
            ok = loadPicture(disk, name.c_str(), 1, picture) && !picture.empty();
            if (ok) p = prepare(picture);
        }
        if (!ok) continue;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count() / rounds;
        const double megapixels = double(p.width) * p.height / 1e6;
        const double stb = stbRmse(p.levels[0], p.width, p.height);
        const double squishError = squishRmse(p.levels[0], p.width, p.height);
        std::printf("%-36s %4dx%-4d %9.1f %8.2f %8.2f %8.3f\n", file.filename().string().c_str(),
                    p.width, p.height, megapixels / seconds, stb, squishError, stb / squishError);
        totalSeconds += seconds;
        totalMegapixels += megapixels;
        stbSum += stb;
        squishSum += squishError;
        ++counted;
    }
    if (counted)
        std::printf(
            "all %d pictures: %.1f Mpx/s; mean DXT1 RMSE %.2f (libsquish cluster fit %.2f)\n",
            counted, totalMegapixels / totalSeconds, stbSum / counted, squishSum / counted);
    return 0;
}
