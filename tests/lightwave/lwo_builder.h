#pragma once
// Small LWO2 files written by tests: chunks and sub-chunks in big-endian,
// strings padded to even length.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class LwoBuilder {
public:
    using Bytes = std::vector<uint8_t>;

    static void u1(Bytes& b, uint32_t v) { b.push_back(uint8_t(v)); }
    static void u2(Bytes& b, uint32_t v) {
        b.push_back(uint8_t(v >> 8));
        b.push_back(uint8_t(v));
    }
    static void u4(Bytes& b, uint32_t v) {
        u2(b, v >> 16);
        u2(b, v & 0xFFFF);
    }
    static void f4(Bytes& b, float f) {
        uint32_t v;
        static_assert(sizeof v == sizeof f, "IEEE floats");
        __builtin_memcpy(&v, &f, 4);
        u4(b, v);
    }
    static void id(Bytes& b, const char* s) { b.insert(b.end(), s, s + 4); }
    static void s0(Bytes& b, const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        b.push_back(0);
        if (b.size() % 2) b.push_back(0);
    }
    static void vx(Bytes& b, uint32_t v) {
        if (v < 0xFF00) {
            u2(b, v);
        } else {
            u4(b, v | 0xFF000000u);
        }
    }
    // A sub-chunk: ID4, U2 length, body.
    static Bytes sub(const char* name, const Bytes& body) {
        Bytes b;
        id(b, name);
        u2(b, uint32_t(body.size()));
        b.insert(b.end(), body.begin(), body.end());
        return b;
    }

    void chunk(const char* name, const Bytes& body) {
        id(chunks, name);
        u4(chunks, uint32_t(body.size()));
        chunks.insert(chunks.end(), body.begin(), body.end());
    }
    void layer(int number) {
        Bytes b;
        u2(b, uint32_t(number));
        u2(b, 0);
        for (int i = 0; i < 3; ++i) f4(b, 0);
        s0(b, "layer");
        chunk("LAYR", b);
    }
    void points(const std::vector<float>& xyz) {
        Bytes b;
        for (float f : xyz) f4(b, f);
        chunk("PNTS", b);
    }
    void polygons(const char* type, const std::vector<std::vector<uint32_t>>& polys) {
        Bytes b;
        id(b, type);
        for (const auto& p : polys) {
            u2(b, uint32_t(p.size()));
            for (uint32_t v : p) vx(b, v);
        }
        chunk("POLS", b);
    }
    void tags(const std::vector<std::string>& names) {
        Bytes b;
        for (const auto& n : names) s0(b, n);
        chunk("TAGS", b);
    }
    void stillClip(uint32_t index, const std::string& image) {
        Bytes b, name;
        u4(b, index);
        s0(name, image);
        const Bytes still = sub("STIL", name);
        b.insert(b.end(), still.begin(), still.end());
        chunk("CLIP", b);
    }
    // An ENVL chunk of (time, value) keys joined by linear spans.
    void linearEnvelope(uint32_t index, const std::vector<std::pair<float, float>>& keys) {
        Bytes b;
        vx(b, index);
        for (const auto& k : keys) {
            Bytes key, span;
            f4(key, k.first);
            f4(key, k.second);
            id(span, "LINE");
            b = join(join(b, sub("KEY ", key)), sub("SPAN", span));
        }
        chunk("ENVL", b);
    }
    // The header sub-chunk of a BLOK ("IMAP", "PROC", "GRAD"): ordinal,
    // channel, then `more` (ENAB, OPAC, ...).
    static Bytes blockHeader(const char* type, const char* channel, const Bytes& more = {}) {
        Bytes h, chan;
        s0(h, "\x80");
        id(chan, channel);
        return sub(type, join(join(h, sub("CHAN", chan)), more));
    }
    static Bytes join(Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
    // A SURF chunk with raw sub-chunk bytes.
    void surface(const std::string& name, const Bytes& subchunks) {
        Bytes b;
        s0(b, name);
        s0(b, "");
        b.insert(b.end(), subchunks.begin(), subchunks.end());
        chunk("SURF", b);
    }
    // A one-triangle object in layer 0 (a scene's "LoadObjectLayer 1") whose
    // surface `surface` shows picture `image` as colour, planar along Z.
    static Bytes pictureTriangle(const std::string& surface, const std::string& image) {
        LwoBuilder b;
        b.tags({surface});
        b.layer(0);
        b.points({0, 0, 0, 1, 0, 0, 0, 1, 0});
        b.polygons("FACE", {{0, 1, 2}});
        Bytes ptag;
        id(ptag, "SURF");
        vx(ptag, 0);
        u2(ptag, 0);
        b.chunk("PTAG", ptag);
        b.stillClip(1, image);
        Bytes index, proj;
        vx(index, 1);
        u2(proj, 0);
        b.surface(surface, sub("BLOK", join(join(blockHeader("IMAP", "COLR"), sub("PROJ", proj)),
                                            sub("IMAG", index))));
        return b.file();
    }

    Bytes file() const {
        Bytes b;
        id(b, "FORM");
        u4(b, uint32_t(chunks.size() + 4));
        id(b, "LWO2");
        b.insert(b.end(), chunks.begin(), chunks.end());
        return b;
    }

    Bytes chunks;
};

inline LwoBuilder::Bytes operator+(LwoBuilder::Bytes a, const LwoBuilder::Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
