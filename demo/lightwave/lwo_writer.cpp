#include "lwo_writer.h"

#include <utility>

#include <cstring>

namespace lwo {
namespace {

using Bytes = std::vector<uint8_t>;

void u2(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
void u4(Bytes& b, uint32_t v) {
    u2(b, v >> 16);
    u2(b, v & 0xFFFF);
}
void f4(Bytes& b, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    u4(b, v);
}
void id(Bytes& b, const char* s) {
    b.insert(b.end(), s, s + 4);
}
void s0(Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    if (b.size() % 2) b.push_back(0);
}
void vx(Bytes& b, uint32_t v) {
    if (v < 0xFF00)
        u2(b, v);
    else
        u4(b, v | 0xFF000000u);
}
void vec(Bytes& b, Vec3 v) {
    f4(b, v.x);
    f4(b, v.y);
    f4(b, v.z);
}
void append(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}
// A sub-chunk: ID4, U2 length, body.
Bytes sub(const char* name, const Bytes& body) {
    Bytes b;
    id(b, name);
    u2(b, uint32_t(body.size()));
    append(b, body);
    return b;
}
void chunk(Bytes& out, const char* name, const Bytes& body) {
    id(out, name);
    u4(out, uint32_t(body.size()));
    append(out, body);
    if (body.size() % 2) out.push_back(0);
}

Bytes imageBlock(const ImageLayer& l) {
    Bytes header, ordinal, channel, enable, opacity;
    ordinal.push_back(0x80);
    ordinal.push_back(0);
    id(channel, l.channel.c_str());
    u2(enable, 1);
    u2(opacity, 0); // normal blending
    f4(opacity, l.opacity);
    vx(opacity, 0);
    append(header, ordinal);
    append(header, sub("CHAN", channel));
    append(header, sub("ENAB", enable));
    append(header, sub("OPAC", opacity));

    Bytes tmap, centre, size, world;
    vec(centre, l.centre);
    vx(centre, 0);
    vec(size, l.size);
    vx(size, 0);
    u2(world, 0); // object coordinates
    append(tmap, sub("CNTR", centre));
    append(tmap, sub("SIZE", size));
    append(tmap, sub("CSYS", world));

    Bytes proj, axis, image, wrap;
    u2(proj, uint32_t(l.projection));
    u2(axis, uint32_t(l.axis));
    vx(image, l.clip);
    u2(wrap, 1); // repeat
    u2(wrap, 1);

    Bytes block = sub("IMAP", header);
    append(block, sub("TMAP", tmap));
    append(block, sub("PROJ", proj));
    append(block, sub("AXIS", axis));
    append(block, sub("IMAG", image));
    append(block, sub("WRAP", wrap));
    return sub("BLOK", block);
}

} // namespace

std::vector<uint8_t> write(const Object& object) {
    Bytes body;
    Bytes tags;
    for (const Surface& s : object.surfaces) s0(tags, s.name);
    chunk(body, "TAGS", tags);
    for (const Layer& layer : object.layers) {
        Bytes layr;
        u2(layr, uint32_t(layer.number));
        u2(layr, 0);
        vec(layr, {0, 0, 0});
        s0(layr, layer.name);
        chunk(body, "LAYR", layr);
        Bytes pnts;
        for (Vec3 p : layer.points) vec(pnts, p);
        chunk(body, "PNTS", pnts);
        Bytes pols, ptag;
        id(pols, "FACE");
        id(ptag, "SURF");
        for (size_t i = 0; i < layer.polygons.size(); ++i) {
            const Polygon& p = layer.polygons[i];
            u2(pols, uint32_t(p.points.size()));
            for (uint32_t v : p.points) vx(pols, v);
            vx(ptag, uint32_t(i));
            u2(ptag, uint32_t(p.surface));
        }
        chunk(body, "POLS", pols);
        chunk(body, "PTAG", ptag);
    }
    for (size_t i = 0; i < object.clips.size(); ++i) {
        Bytes clip, name;
        u4(clip, uint32_t(i + 1));
        s0(name, object.clips[i]);
        append(clip, sub("STIL", name));
        chunk(body, "CLIP", clip);
    }
    for (const Surface& s : object.surfaces) {
        Bytes surf, colour, diffuse;
        s0(surf, s.name);
        s0(surf, "");
        vec(colour, s.colour);
        vx(colour, 0);
        f4(diffuse, s.diffuse);
        vx(diffuse, 0);
        append(surf, sub("COLR", colour));
        append(surf, sub("DIFF", diffuse));
        const std::pair<const char*, float> amounts[] = {{"LUMI", s.luminosity},
                                                         {"TRAN", s.transparency},
                                                         {"ADTR", s.additiveTransparency}};
        for (const auto& a : amounts) {
            if (a.second == 0) continue;
            Bytes v;
            f4(v, a.second);
            vx(v, 0);
            append(surf, sub(a.first, v));
        }
        if (s.doubleSided) {
            Bytes v;
            u2(v, 3);
            append(surf, sub("SIDE", v));
        }
        if (s.smoothingAngle > 0) {
            Bytes v;
            f4(v, s.smoothingAngle * 3.14159265f / 180);
            append(surf, sub("SMAN", v));
        }
        for (const ImageLayer& l : s.layers) append(surf, imageBlock(l));
        chunk(body, "SURF", surf);
    }
    Bytes file;
    id(file, "FORM");
    u4(file, uint32_t(body.size() + 4));
    id(file, "LWO2");
    append(file, body);
    return file;
}

void addSquare(Layer& layer, Vec3 c, float size, int surface) {
    const float h = size / 2;
    const uint32_t first = uint32_t(layer.points.size());
    layer.points.push_back({c.x - h, c.y - h, c.z});
    layer.points.push_back({c.x - h, c.y + h, c.z});
    layer.points.push_back({c.x + h, c.y + h, c.z});
    layer.points.push_back({c.x + h, c.y - h, c.z});
    layer.polygons.push_back({{first, first + 1, first + 2, first + 3}, surface});
}

} // namespace lwo
