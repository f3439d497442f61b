#pragma once
// Reading written modules back through libxmp, the player's own module
// library, and comparing what it reports with the song that was written:
// every cell of every pattern as libxmp's events, and every sample's
// length, loop and data.

#include "demo/generators/tracker_render.h"
#include "demo/generators/tracker_song.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace trackertest {

using namespace tracker;

enum class Format { Mod, Xm, It };

// libxmp's own effect codes (its effects.h), as its loaders report them.
namespace xfx {
constexpr int ARPEGGIO = 0x00, PORTA_UP = 0x01, PORTA_DOWN = 0x02, TONE_PORTA = 0x03,
              VIBRATO = 0x04, SET_PAN = 0x08, OFFSET = 0x09, VOLUME_SLIDE = 0x0a, JUMP = 0x0b,
              VOLUME = 0x0c, BREAK = 0x0d, EXTENDED = 0x0e, SPEED = 0x0f, MULTI_RETRIG = 0x1b,
              IT_BPM = 0x87, IT_BREAK = 0x8e, S3M_SPEED = 0xa3, S3M_ARPEGGIO = 0xb4;
constexpr int EX_RETRIG = 0x9, EX_CUT = 0xc, EX_DELAY = 0xd;
} // namespace xfx

struct Fx {
    int type = 0, param = 0;
};

// What libxmp reports for a cell's effect column in each format. A
// ProTracker cell's volume travels as effect C; the pattern break's row is
// decimal digits in ProTracker and FastTracker II files, hex in Impulse
// Tracker's.
inline Fx expectedEffect(Format f, const Cell& c) {
    const int p = c.param;
    const bool it = f == Format::It;
    if (f == Format::Mod && c.volume != VOLUME_NONE) return {xfx::VOLUME, c.volume};
    switch (c.effect) {
    case Effect::None:
        return {0, 0};
    case Effect::Arpeggio:
        return {it ? xfx::S3M_ARPEGGIO : xfx::ARPEGGIO, p};
    case Effect::PortaUp:
        return {xfx::PORTA_UP, p};
    case Effect::PortaDown:
        return {xfx::PORTA_DOWN, p};
    case Effect::TonePorta:
        return {xfx::TONE_PORTA, p};
    case Effect::Vibrato:
        return {xfx::VIBRATO, p};
    case Effect::VolumeSlide:
        return {xfx::VOLUME_SLIDE, p};
    case Effect::SetPanning:
        return {xfx::SET_PAN, p};
    case Effect::SampleOffset:
        return {xfx::OFFSET, p};
    case Effect::PositionJump:
        return {xfx::JUMP, p};
    case Effect::PatternBreak:
        return it ? Fx{xfx::IT_BREAK, p} : Fx{xfx::BREAK, (p / 10) << 4 | p % 10};
    case Effect::SetSpeed:
        return {it ? xfx::S3M_SPEED : xfx::SPEED, p};
    case Effect::SetTempo:
        return {it ? xfx::IT_BPM : xfx::SPEED, p};
    case Effect::NoteCut:
        return {xfx::EXTENDED, xfx::EX_CUT << 4 | p};
    case Effect::NoteDelay:
        return {xfx::EXTENDED, xfx::EX_DELAY << 4 | p};
    case Effect::Retrigger:
        return it ? Fx{xfx::MULTI_RETRIG, p} : Fx{xfx::EXTENDED, xfx::EX_RETRIG << 4 | p};
    }
    return {-1, -1};
}

inline int expectedNote(const Cell& c) {
    if (c.note == NOTE_NONE) return 0;
    if (c.note == NOTE_OFF) return XMP_KEY_OFF;
    return c.note + 1;
}

inline int expectedVolume(Format f, const Cell& c) {
    return f == Format::Mod || c.volume == VOLUME_NONE ? 0 : c.volume + 1;
}

inline std::string describe(int p, int row, int ch) {
    return "pattern " + std::to_string(p) + " row " + std::to_string(row) + " channel " +
           std::to_string(ch);
}

// Every cell of every pattern as libxmp reads it. Stops at the first cell
// that differs, so one fault does not bury the report.
inline void expectSameEvents(const Song& song, const xmp_module& m, Format f) {
    ASSERT_GE(m.pat, int(song.patterns.size()));
    ASSERT_EQ(song.channels, m.chn);
    for (size_t p = 0; p < song.patterns.size(); ++p) {
        const Pattern& pattern = song.patterns[p];
        ASSERT_EQ(pattern.rows, m.xxp[p]->rows) << "pattern " << p;
        for (int ch = 0; ch < pattern.channels; ++ch) {
            const xmp_track* track = m.xxt[m.xxp[p]->index[ch]];
            for (int row = 0; row < pattern.rows; ++row) {
                const Cell& c = pattern.at(row, ch);
                const xmp_event& e = track->event[row];
                const Fx fx = expectedEffect(f, c);
                SCOPED_TRACE(describe(int(p), row, ch));
                ASSERT_EQ(expectedNote(c), e.note);
                ASSERT_EQ(c.instrument, e.ins);
                ASSERT_EQ(expectedVolume(f, c), e.vol);
                ASSERT_EQ(fx.type, e.fxt);
                ASSERT_EQ(fx.param, e.fxp);
                ASSERT_EQ(0, e.f2t); // nothing in the volume column but a volume
            }
        }
    }
}

inline void expectSameOrders(const Song& song, const xmp_module& m) {
    for (size_t i = 0; i < song.orders.size(); ++i)
        EXPECT_EQ(song.orders[i], m.xxo[i]) << "order " << i;
}

// Lengths, loops and data of the song's samples, as libxmp holds them.
inline void expectSameSamples(const Song& song, const xmp_module& m) {
    ASSERT_GE(m.smp, int(song.samples.size()));
    for (size_t i = 0; i < song.samples.size(); ++i) {
        const Sample& s = song.samples[i];
        const xmp_sample& x = m.xxs[i];
        SCOPED_TRACE("sample " + std::to_string(i + 1));
        EXPECT_EQ(0, x.flg & XMP_SAMPLE_16BIT);
        ASSERT_EQ(int(s.data.size()), x.len);
        EXPECT_EQ(s.loopLength > 0, (x.flg & XMP_SAMPLE_LOOP) != 0);
        if (s.loopLength > 0) {
            EXPECT_EQ(s.loopStart, x.lps);
            EXPECT_EQ(s.loopStart + s.loopLength, x.lpe);
        }
        // libxmp writes its own copy of a loop's start after the loop's end
        // (for interpolation), so what a looped sample holds past that end
        // is not read back.
        const size_t compared =
            s.loopLength > 0 ? size_t(s.loopStart + s.loopLength) : s.data.size();
        if (compared) {
            ASSERT_NE(nullptr, x.data);
            EXPECT_EQ(0, std::memcmp(s.data.data(), x.data, compared));
        }
    }
}

// Instrument (sample) volumes as libxmp plays them.
inline void expectSameVolumes(const Song& song, const xmp_module& m) {
    for (size_t i = 0; i < song.samples.size(); ++i) {
        ASSERT_LT(int(i), m.ins);
        ASSERT_GE(m.xxi[i].nsm, 1) << "instrument " << i + 1;
        EXPECT_EQ(song.samples[i].volume, m.xxi[i].sub[0].vol) << "instrument " << i + 1;
        EXPECT_EQ(int(i), m.xxi[i].sub[0].sid) << "instrument " << i + 1;
    }
}

// A looped single cycle of `length` samples: a saw.
inline Sample sawCycle(const char* name, int length, int volume = 48) {
    Sample s;
    s.name = name;
    for (int i = 0; i < length; ++i) s.data.push_back(int8_t(-120 + 240 * i / length));
    s.volume = volume;
    s.loopLength = length;
    return s;
}

// A one-shot burst of `length` samples of full-range pseudo-random bytes
// (every value a delta code or sign error would change).
inline Sample burst(const char* name, int length, uint32_t seed) {
    Sample s;
    s.name = name;
    for (int i = 0; i < length; ++i) {
        seed = seed * 1664525u + 1013904223u;
        s.data.push_back(int8_t(seed >> 24));
    }
    return s;
}

inline Cell cell(int note, int instrument, int volume = VOLUME_NONE, Effect e = Effect::None,
                 int param = 0) {
    Cell c;
    c.note = note;
    c.instrument = instrument;
    c.volume = volume;
    c.effect = e;
    c.param = param;
    return c;
}

// How many frames libxmp plays at 8 kHz for one play-through of the
// module, tick by tick (no padding); -1 if it cannot load or play it.
inline long playedFrames(const Written& w) {
    LoadedModule loaded(w.bytes);
    if (!loaded.ok() || xmp_start_player(loaded.context(), 8000, 0) != 0) return -1;
    long frames = 0;
    xmp_frame_info info;
    while (xmp_play_frame(loaded.context()) == 0) {
        xmp_get_frame_info(loaded.context(), &info);
        if (info.loop_count > 0) break;
        frames += info.buffer_size / 4; // 16-bit stereo
    }
    xmp_end_player(loaded.context());
    return frames;
}

} // namespace trackertest
