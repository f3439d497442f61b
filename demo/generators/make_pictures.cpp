// Paints the show's pictures and writes them in the four formats the player
// reads: "loading.jpg" (the loading screen), "sglow.jpg" and the forge's
// iron "forge.jpg" as JPEG, an 8-bit bitmap, an uncompressed 24-bit Targa, a
// run-length 32-bit Targa with alpha, an uncompressed 32-bit Targa (the
// forge's normal map, "rivets.tga") and an 8-bit run-length PCX.
// Deterministic: the same bytes on every build.
//
//   make_pictures OUT_DIR

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rgba {
    uint8_t r, g, b, a;
};

using Image = std::vector<Rgba>; // row 0 at the top

uint8_t byte(double v) {
    return uint8_t(v <= 0 ? 0 : v >= 1 ? 255 : int(v * 255 + 0.5));
}

// Night sky rings for the loading screen, with the title band left dark.
Image loadingPicture(int w, int h) {
    Image img(size_t(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = (x - w * 0.5) / w, dy = (y - h * 0.42) / h;
            const double d = std::sqrt(dx * dx + dy * dy);
            const double ring = 0.5 + 0.5 * std::cos(d * 60);
            const double glow = std::exp(-d * 5);
            const double sky = double(y) / h;
            img[size_t(y * w + x)] = {byte(0.08 + 0.5 * glow * ring), byte(0.05 + 0.3 * glow),
                                      byte(0.25 + 0.5 * sky * (1 - glow) + 0.4 * glow), 255};
        }
    return img;
}

Image glow(int n) {
    Image img(size_t(n * n));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double d = std::hypot(x - n / 2.0, y - n / 2.0) / (n / 2.0);
            const double v = std::exp(-d * d * 4);
            img[size_t(y * n + x)] = {byte(v), byte(v * 0.85), byte(v * 0.6), byte(v)};
        }
    return img;
}

bool writeJpeg(const std::string& path, const Image& img, int w, int h) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 88, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(w) * 3);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < w; ++x) {
            const Rgba& p = img[size_t(c.next_scanline) * size_t(w) + size_t(x)];
            row[size_t(x) * 3] = p.r;
            row[size_t(x) * 3 + 1] = p.g;
            row[size_t(x) * 3 + 2] = p.b;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(f) == 0;
}

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

bool save(const std::string& path, const std::vector<uint8_t>& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return bool(out);
}

// 8-bit bitmap: a 64-entry palette of moonlight blues, diagonal bands.
bool writeBmp(const std::string& path, int w, int h) {
    const int colors = 64, pad = (-w) & 3;
    std::vector<uint8_t> b = {'B', 'M'};
    const uint32_t offset = 54 + 4 * colors;
    put32(b, offset + uint32_t((w + pad) * h));
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, uint32_t(w));
    put32(b, uint32_t(h));
    put16(b, 1);
    put16(b, 8);
    put32(b, 0);
    put32(b, uint32_t((w + pad) * h));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, colors);
    put32(b, 0);
    for (int i = 0; i < colors; ++i) {
        const double t = double(i) / (colors - 1);
        b.insert(b.end(), {byte(0.3 + 0.7 * t), byte(0.15 + 0.6 * t), byte(0.05 + 0.3 * t), 0});
    }
    for (int y = h - 1; y >= 0; --y) { // bottom row first
        for (int x = 0; x < w; ++x) b.push_back(uint8_t(((x + 2 * y) / 4) % colors));
        for (int i = 0; i < pad; ++i) b.push_back(0);
    }
    return save(path, b);
}

std::vector<uint8_t> tgaHeader(int type, int w, int h, int bits, int descriptor) {
    std::vector<uint8_t> b(18, 0);
    b[2] = uint8_t(type);
    b[12] = uint8_t(w);
    b[13] = uint8_t(w >> 8);
    b[14] = uint8_t(h);
    b[15] = uint8_t(h >> 8);
    b[16] = uint8_t(bits);
    b[17] = uint8_t(descriptor);
    return b;
}

// 24-bit raw Targa: vertical colour stripes.
bool writeStripes(const std::string& path, int w, int h) {
    std::vector<uint8_t> b = tgaHeader(2, w, h, 24, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int band = (x / 25) % 4;
            const uint8_t shade = uint8_t(100 + y);
            b.push_back(band == 0 ? shade : 30);                  // blue
            b.push_back(band == 1 ? shade : band == 3 ? 80 : 30); // green
            b.push_back(band == 2 ? shade : band == 3 ? 80 : 30); // red
        }
    return save(path, b);
}

// 32-bit run-length Targa: the glow with its alpha, packets across rows.
bool writeFlare(const std::string& path, const Image& img, int n) {
    std::vector<uint8_t> b = tgaHeader(10, n, n, 32, 8);
    std::vector<Rgba> pixels(img);
    size_t i = 0;
    auto same = [](const Rgba& a, const Rgba& c) {
        return a.r == c.r && a.g == c.g && a.b == c.b && a.a == c.a;
    };
    auto put = [&](const Rgba& p) { b.insert(b.end(), {p.b, p.g, p.r, p.a}); };
    while (i < pixels.size()) {
        size_t run = 1;
        while (i + run < pixels.size() && run < 128 && same(pixels[i], pixels[i + run])) ++run;
        if (run > 1) {
            b.push_back(uint8_t(0x80 | (run - 1)));
            put(pixels[i]);
            i += run;
        } else {
            size_t n2 = 1;
            while (i + n2 < pixels.size() && n2 < 128 &&
                   !(i + n2 + 1 < pixels.size() && same(pixels[i + n2], pixels[i + n2 + 1])))
                ++n2;
            b.push_back(uint8_t(n2 - 1));
            for (size_t k = 0; k < n2; ++k) put(pixels[i + k]);
            i += n2;
        }
    }
    return save(path, b);
}

// 8-bit PCX: a checker of moons, run-length coded, with its 256-colour palette.
bool writePcx(const std::string& path, int w, int h) {
    std::vector<uint8_t> b(128, 0);
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    b[8] = uint8_t(w - 1);
    b[9] = uint8_t((w - 1) >> 8);
    b[10] = uint8_t(h - 1);
    b[11] = uint8_t((h - 1) >> 8);
    b[65] = 1;
    const int line = w + (w & 1);
    b[66] = uint8_t(line);
    b[67] = uint8_t(line >> 8);
    for (int y = 0; y < h; ++y) {
        std::vector<uint8_t> row(size_t(line), 0);
        for (int x = 0; x < w; ++x) {
            const int cx = x % 32 - 16, cy = y % 32 - 16;
            row[size_t(x)] = uint8_t(cx * cx + cy * cy < 100 ? 200 + ((x / 32 + y / 32) % 2) * 40
                                                             : (x ^ y) & 63);
        }
        for (size_t x = 0; x < row.size();) {
            size_t run = 1;
            while (x + run < row.size() && run < 63 && row[x + run] == row[x]) ++run;
            if (run > 1 || row[x] >= 0xC0) {
                b.push_back(uint8_t(0xC0 | run));
                b.push_back(row[x]);
            } else {
                b.push_back(row[x]);
            }
            x += run;
        }
    }
    b.push_back(12);
    for (int i = 0; i < 256; ++i) {
        const double t = double(i) / 255;
        b.insert(b.end(), {byte(t), byte(t * t), byte(0.4 + 0.6 * t)});
    }
    return save(path, b);
}

// Hammered iron plate: dark, warm and uneven, with rust in the dents.
Image ironPicture(int n) {
    Image img(size_t(n * n));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double u = double(x) / n, v = double(y) / n;
            const double dent = 0.5 + 0.25 * std::sin(u * 37 + std::sin(v * 11) * 2) +
                                0.25 * std::sin(v * 29 + std::sin(u * 13) * 3);
            const double rust = std::pow(dent, 3);
            img[size_t(y * n + x)] = {byte(0.28 + 0.35 * rust), byte(0.22 + 0.14 * rust),
                                      byte(0.2 - 0.05 * rust), 255};
        }
    return img;
}

// The height of the riveted plate at (x, y) of an n x n tile: a raised rivet
// in each 32-texel cell and shallow hammer marks between them.
double rivetHeight(double x, double y, int n) {
    const double cx = std::fmod(x + n, 32.0) - 16, cy = std::fmod(y + n, 32.0) - 16;
    const double r = std::sqrt(cx * cx + cy * cy);
    const double rivet = r < 7 ? std::sqrt(49 - r * r) / 7 : 0;
    const double marks = 0.08 * std::sin(x * 0.7 + std::sin(y * 0.3) * 3) * std::sin(y * 0.55);
    return rivet + marks;
}

// 32-bit raw Targa: the plate's normal map (tangent-space normal in red,
// green and blue, z up) with its gloss in alpha: the rivets shine.
bool writeRivets(const std::string& path, int n) {
    std::vector<uint8_t> b = tgaHeader(2, n, n, 32, 8 | 0x20); // top row first
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double dx = (rivetHeight(x + 1, y, n) - rivetHeight(x - 1, y, n)) * 2;
            const double dy = (rivetHeight(x, y + 1, n) - rivetHeight(x, y - 1, n)) * 2;
            const double len = std::sqrt(dx * dx + dy * dy + 1);
            const double nx = -dx / len, ny = -dy / len, nz = 1 / len;
            const double gloss = rivetHeight(x, y, n) > 0.2 ? 0.9 : 0.3;
            b.insert(b.end(), {byte(nz * 0.5 + 0.5), byte(ny * 0.5 + 0.5), byte(nx * 0.5 + 0.5),
                               byte(gloss)});
        }
    return save(path, b);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures OUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const Image flare = glow(64);
    const bool ok =
        writeJpeg(dir + "/loading.jpg", loadingPicture(800, 600), 800, 600) &&
        writeJpeg(dir + "/sglow.jpg", glow(128), 128, 128) &&
        writeBmp(dir + "/bands.bmp", 250, 64) && writeStripes(dir + "/stripes.tga", 200, 100) &&
        writeFlare(dir + "/flare.tga", flare, 64) && writePcx(dir + "/moons.pcx", 127, 96) &&
        writeJpeg(dir + "/forge.jpg", ironPicture(128), 128, 128) &&
        writeRivets(dir + "/rivets.tga", 128);
    if (!ok) std::fprintf(stderr, "make_pictures: cannot write into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
