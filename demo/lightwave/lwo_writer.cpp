// The object's chunks are written in the order the player's loader needs
// them; a value is written when it differs from what the player assumes
// without it or follows an envelope.

#include "lwo_chunks.h"
#include "lightwave/gradient_inputs.h"

#include <utility>

namespace lwo {
namespace {

using namespace bytes;

void polygonChunks(Bytes& body, const Layer& layer) {
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

// VMAP and VMAD open alike: type, dimension, name.
Bytes mapHeader(const char* type, uint32_t dimension, const std::string& name) {
    Bytes b;
    id(b, type);
    u2(b, dimension);
    s0(b, name);
    return b;
}

void vertexMapChunks(Bytes& body, const Layer& layer) {
    for (const UVMap& m : layer.uvMaps) {
        Bytes b = mapHeader("TXUV", 2, m.name);
        for (const UV& e : m.entries) {
            vx(b, e.point);
            f4(b, e.u);
            f4(b, e.v);
        }
        chunk(body, "VMAP", b);
    }
    for (const ColourMap& m : layer.colourMaps) {
        Bytes b = mapHeader(m.alpha ? "RGBA" : "RGB ", m.alpha ? 4 : 3, m.name);
        for (const Colour& e : m.entries) {
            vx(b, e.point);
            for (int k = 0; k < (m.alpha ? 4 : 3); ++k) f4(b, e.rgba[k]);
        }
        chunk(body, "VMAP", b);
    }
    for (const MorphMap& m : layer.morphMaps) {
        Bytes b = mapHeader("MORF", 3, m.name);
        for (const Offset& e : m.entries) {
            vx(b, e.point);
            vec(b, e.offset);
        }
        chunk(body, "VMAP", b);
    }
}

// Seams name their polygons, so they follow POLS.
void discontinuousChunks(Bytes& body, const Layer& layer) {
    for (const UVMap& m : layer.uvMaps) {
        if (m.discontinuous.empty()) continue;
        Bytes b = mapHeader("TXUV", 2, m.name);
        for (const PolygonUV& e : m.discontinuous) {
            vx(b, e.point);
            vx(b, e.polygon);
            f4(b, e.u);
            f4(b, e.v);
        }
        chunk(body, "VMAD", b);
    }
}

void layerChunks(Bytes& body, const Layer& layer) {
    Bytes layr;
    u2(layr, uint32_t(layer.number));
    u2(layr, 0); // flags: shown
    vec(layr, layer.pivot);
    s0(layr, layer.name);
    chunk(body, "LAYR", layr);
    Bytes pnts;
    for (Vec3 p : layer.points) vec(pnts, p);
    chunk(body, "PNTS", pnts);
    vertexMapChunks(body, layer);
    polygonChunks(body, layer);
    discontinuousChunks(body, layer);
}

Bytes envelopeBody(uint32_t index, const Envelope& e) {
    Bytes b;
    vx(b, index);
    if (e.type != 0) {
        Bytes type;
        u2(type, uint32_t(e.type));
        append(b, sub("TYPE", type));
    }
    if (!e.name.empty()) {
        Bytes name;
        s0(name, e.name);
        append(b, sub("NAME", name));
    }
    Bytes pre;
    u2(pre, uint32_t(e.pre));
    append(b, sub("PRE ", pre));
    // Each key is followed by the span that ends at it; the player stores a
    // key only when its span comes.
    for (const EnvelopeKey& k : e.keys) {
        Bytes key, span;
        f4(key, float(k.time));
        f4(key, k.value);
        append(b, sub("KEY ", key));
        switch (k.span) {
        case Span::TCB:
            id(span, "TCB ");
            f4(span, k.tension);
            f4(span, k.continuity);
            f4(span, k.bias);
            break;
        case Span::Linear:
            id(span, "LINE");
            break;
        case Span::Stepped:
            id(span, "STEP");
            break;
        }
        append(b, sub("SPAN", span));
    }
    Bytes post;
    u2(post, uint32_t(e.post));
    append(b, sub("POST", post));
    return b;
}

Bytes clipBody(uint32_t index, const Clip& c) {
    Bytes b;
    u4(b, index);
    if (!c.sequencePrefix.empty()) {
        Bytes s;
        u1(s, uint32_t(c.digits));
        u1(s, 0); // flags
        u2(s, uint32_t(c.frameOffset));
        u2(s, 0);
        u2(s, uint32_t(c.firstFrame));
        u2(s, uint32_t(c.lastFrame));
        s0(s, c.sequencePrefix);
        s0(s, c.sequenceSuffix);
        append(b, sub("ISEQ", s));
    } else {
        Bytes name;
        s0(name, c.still);
        append(b, sub("STIL", name));
    }
    if (c.alphaMode >= 0) {
        Bytes mode;
        u2(mode, uint32_t(c.alphaMode));
        append(b, sub("AMOD", mode));
    }
    if (c.frameRate != 0) {
        // Start, duration, rate and two more words the player reads past.
        Bytes time;
        f4(time, 0);
        f4(time, 0);
        f4(time, c.frameRate);
        f4(time, 0);
        f4(time, 0);
        append(b, sub("TIME", time));
    }
    return b;
}

Bytes valueBody(const Animated& a) {
    Bytes b;
    f4(b, a.value);
    vx(b, a.envelope);
    return b;
}

void value(Bytes& out, const char* name, const Animated& a, float assumed) {
    if (a.value != assumed || a.envelope != 0) append(out, sub(name, valueBody(a)));
}

// Three values, then either 0 or a non-zero word and an envelope per axis.
Bytes vectorBody(Vec3 v, const uint32_t envelopes[3]) {
    Bytes b;
    vec(b, v);
    if (envelopes[0] || envelopes[1] || envelopes[2]) {
        u2(b, 1);
        for (int i = 0; i < 3; ++i) u2(b, envelopes[i]);
    } else {
        u2(b, 0);
    }
    return b;
}

Bytes blockHeader(const TextureLayer& l) {
    const char* type = l.kind == TextureKind::Image        ? "IMAP"
                       : l.kind == TextureKind::Procedural ? "PROC"
                                                           : "GRAD";
    Bytes header, channel, enable, opacity;
    s0(header, "\x80"); // ordinal: every layer in the order written
    id(channel, l.channel.c_str());
    u2(enable, l.enabled ? 1 : 0);
    u2(opacity, uint32_t(l.opacityType));
    append(opacity, valueBody(l.opacity));
    append(header, sub("CHAN", channel));
    append(header, sub("ENAB", enable));
    if (l.negative) {
        Bytes negative;
        u2(negative, 1);
        append(header, sub("NEGA", negative));
    }
    append(header, sub("OPAC", opacity));
    return sub(type, header);
}

Bytes textureMap(const TextureLayer& l) {
    Bytes tmap, world;
    append(tmap, sub("CNTR", vectorBody(l.centre, l.centreEnvelopes)));
    append(tmap, sub("SIZE", vectorBody(l.size, l.sizeEnvelopes)));
    const uint32_t* r = l.rotationEnvelopes;
    if (l.rotation.x != 0 || l.rotation.y != 0 || l.rotation.z != 0 || r[0] || r[1] || r[2])
        append(tmap, sub("ROTA", vectorBody(l.rotation, r)));
    u2(world, 0); // object coordinates
    append(tmap, sub("CSYS", world));
    return sub("TMAP", tmap);
}

Bytes u2Sub(const char* name, uint32_t v) {
    Bytes b;
    u2(b, v);
    return sub(name, b);
}

void imageParts(Bytes& block, const TextureLayer& l) {
    append(block, textureMap(l));
    // The projection decides how WRAP is taken, so it comes first.
    append(block, u2Sub("PROJ", uint32_t(l.projection)));
    append(block, u2Sub("AXIS", uint32_t(l.axis)));
    Bytes image, wrap;
    vx(image, l.clip);
    append(block, sub("IMAG", image));
    u2(wrap, uint32_t(l.wrapWidth));
    u2(wrap, uint32_t(l.wrapHeight));
    append(block, sub("WRAP", wrap));
    value(block, "WRPW", Animated(l.widthRepeat), 1);
    value(block, "WRPH", Animated(l.heightRepeat), 1);
    if (!l.uvMap.empty()) {
        Bytes name;
        s0(name, l.uvMap);
        append(block, sub("VMAP", name));
    }
    if (l.antialiasStrength != 1) {
        Bytes aast;
        u2(aast, 1);
        f4(aast, l.antialiasStrength);
        append(block, sub("AAST", aast));
    }
    if (!l.pixelBlending) append(block, u2Sub("PIXB", 0));
}

void proceduralParts(Bytes& block, const TextureLayer& l) {
    append(block, textureMap(l));
    append(block, u2Sub("AXIS", uint32_t(l.axis)));
    Bytes func;
    s0(func, l.procedure);
    append(func, l.parameters);
    if (func.size() % 2) func.push_back(0); // sub-chunks stay even
    append(block, sub("FUNC", func));
}

void gradientParts(Bytes& block, const TextureLayer& l) {
    Bytes input, start, end, keys, interpolations;
    if (l.gradientInput >= 0 && l.gradientInput < GRADIENT_INPUT_COUNT) {
        s0(input, GRADIENT_INPUT_NAMES[l.gradientInput]);
        append(block, sub("PNAM", input));
    }
    f4(start, l.gradientStart);
    f4(end, l.gradientEnd);
    append(block, sub("GRST", start));
    append(block, sub("GREN", end));
    if (l.gradientKeys.empty()) return;
    for (const GradientKey& k : l.gradientKeys) {
        f4(keys, k.input);
        for (float c : k.colour) f4(keys, c);
        u2(interpolations, uint32_t(k.interpolation));
    }
    append(block, sub("FKEY", keys));
    append(block, sub("IKEY", interpolations));
}

Bytes block(const TextureLayer& l) {
    Bytes b = blockHeader(l);
    if (l.kind == TextureKind::Image) imageParts(b, l);
    if (l.kind == TextureKind::Procedural) proceduralParts(b, l);
    if (l.kind == TextureKind::Gradient) gradientParts(b, l);
    if (l.channel == "BUMP")
        append(b, sub("TAMP", valueBody(l.amplitude)));
    else
        value(b, "TAMP", l.amplitude, 1);
    return sub("BLOK", b);
}

// "RGB " or "RGBA" after the first colour map of that name.
const char* colourMapType(const Object& object, const std::string& name) {
    for (const Layer& layer : object.layers)
        for (const ColourMap& m : layer.colourMaps)
            if (m.name == name) return m.alpha ? "RGBA" : "RGB ";
    return "RGB ";
}

// The SURF chunk's body: BUMP comes before the blocks, since a bump layer's
// strength is taken from the surface's bump as the block is read.
Bytes surfaceBody(const Object& object, const Surface& s) {
    Bytes surf, colour;
    s0(surf, s.name);
    s0(surf, ""); // no source surface
    vec(colour, s.colour);
    vx(colour, s.colourEnvelope);
    append(surf, sub("COLR", colour));
    append(surf, sub("DIFF", valueBody(s.diffuse)));
    value(surf, "LUMI", s.luminosity, 0);
    value(surf, "SPEC", s.specularity, 0);
    value(surf, "GLOS", s.glossiness, 0.4f);
    value(surf, "REFL", s.reflection, 0);
    value(surf, "TRAN", s.transparency, 0);
    value(surf, "ADTR", s.additiveTransparency, 0);
    value(surf, "RIND", s.refractiveIndex, 0);
    value(surf, "CLRF", s.colourFilter, 0);
    value(surf, "BUMP", s.bump, 1);
    value(surf, "CLRH", Animated(s.colourHighlights), 0);
    if (s.doubleSided) append(surf, u2Sub("SIDE", 3));
    if (s.smoothingAngle > 0) {
        Bytes v;
        f4(v, s.smoothingAngle * 3.14159265f / 180);
        append(surf, sub("SMAN", v));
    }
    if (s.reflectionOptions != 1) append(surf, u2Sub("RFOP", uint32_t(s.reflectionOptions)));
    if (s.reflectionImage != 0) {
        Bytes v;
        vx(v, s.reflectionImage);
        append(surf, sub("RIMG", v));
    }
    if (!s.vertexColours.empty()) {
        Bytes v;
        f4(v, s.vertexColourAmount);
        vx(v, 0);
        id(v, colourMapType(object, s.vertexColours));
        s0(v, s.vertexColours);
        append(surf, sub("VCOL", v));
    }
    for (const TextureLayer& l : s.layers) append(surf, block(l));
    return surf;
}

} // namespace

std::vector<uint8_t> write(const Object& object) {
    Bytes body;
    Bytes tags;
    for (const Surface& s : object.surfaces) s0(tags, s.name);
    chunk(body, "TAGS", tags);
    for (const Layer& layer : object.layers) layerChunks(body, layer);
    for (size_t i = 0; i < object.envelopes.size(); ++i)
        chunk(body, "ENVL", envelopeBody(uint32_t(i + 1), object.envelopes[i]));
    for (size_t i = 0; i < object.clips.size(); ++i)
        chunk(body, "CLIP", clipBody(uint32_t(i + 1), object.clips[i]));
    for (const Surface& s : object.surfaces) chunk(body, "SURF", surfaceBody(object, s));
    Bytes file;
    id(file, "FORM");
    u4(file, uint32_t(body.size() + 4));
    id(file, "LWO2");
    append(file, body);
    return file;
}

uint32_t addEnvelope(Object& object, Envelope envelope) {
    object.envelopes.push_back(std::move(envelope));
    return uint32_t(object.envelopes.size());
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
