// The FastTracker II writer: its files read back through libxmp as the song
// that was written (events with their volume column, key-offs, panning,
// orders, patterns of any length, instruments with envelopes, delta-coded
// sample data), laid out as the format has it, and the songs it cannot hold
// refused.

#include "demo/generators/tracker_xm.h"
#include "tracker_test_support.h"

namespace {

using namespace trackertest;

// Six channels, patterns of 48 and 80 rows played 0, 1, 1, 0, notes from
// the lowest to the highest, volumes, key-offs, every effect; instruments
// with envelopes (one with a sustain point and a fade-out) and panning.
Song xmSong() {
    Song s;
    s.name = "a name of twenty chr"; // fills the field
    s.channels = 6;
    s.speed = 4;
    s.tempo = 140;
    s.samples = {sawCycle("saw", 64), burst("burst", 777, 3), sawCycle("pad", 128, 30)};
    s.samples[0].envelope.points = {{0, 64}, {3, 40}, {20, 12}, {60, 0}};
    s.samples[1].panning = 200;
    s.samples[2].panning = 0;
    s.samples[2].loopStart = 32;
    s.samples[2].loopLength = 96;
    s.samples[2].envelope.points = {{0, 0}, {10, 64}, {30, 48}, {100, 0}};
    s.samples[2].envelope.sustain = 2;
    s.samples[2].fadeout = 1024;
    Pattern a(48, 6), b(80, 6);
    for (int row = 0; row < 48; ++row) a.at(row, 0) = cell(12 + row * 2, 1 + row % 3);
    a.at(0, 1) = cell(107, 2, 64);
    a.at(1, 1) = cell(NOTE_OFF, 0);
    a.at(2, 1) = cell(NOTE_NONE, 0, 0);
    a.at(3, 2) = cell(60, 3, 33, Effect::Arpeggio, 0x47);
    a.at(4, 2) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PortaUp, 0xF0);
    a.at(5, 2) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PortaDown, 3);
    a.at(6, 2) = cell(72, 3, VOLUME_NONE, Effect::TonePorta, 0x10);
    a.at(7, 2) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::Vibrato, 0x38);
    a.at(8, 3) = cell(50, 2, 10, Effect::SetPanning, 0xFF);
    a.at(9, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SampleOffset, 1);
    a.at(10, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::VolumeSlide, 0x0F);
    a.at(11, 4) = cell(55, 1, VOLUME_NONE, Effect::NoteCut, 1);
    a.at(12, 4) = cell(55, 1, VOLUME_NONE, Effect::NoteDelay, 5);
    a.at(13, 4) = cell(55, 1, VOLUME_NONE, Effect::Retrigger, 3);
    a.at(14, 5) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetSpeed, 3);
    a.at(15, 5) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetTempo, 200);
    a.at(16, 5) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetSpeed, 4);
    a.at(17, 5) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetTempo, 140);
    b.at(0, 5) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PositionJump, 3);
    b.at(79, 0) = cell(61, 2, 5, Effect::PatternBreak, 47);
    s.patterns = {a, b};
    s.orders = {0, 1, 1, 0};
    return s;
}

TEST(XmWriter, LibxmpReadsBackTheSong) {
    const Song song = xmSong();
    const Written w = writeXm(song);
    ASSERT_TRUE(w.ok()) << w.error;
    LoadedModule loaded(w.bytes);
    ASSERT_TRUE(loaded.ok());
    const xmp_module& m = *loaded.module();
    EXPECT_NE(nullptr, std::strstr(m.type, "XM 1.04")) << m.type;
    EXPECT_STREQ("a name of twenty chr", m.name);
    EXPECT_EQ(6, m.chn);
    EXPECT_EQ(4, m.spd);
    EXPECT_EQ(140, m.bpm);
    EXPECT_EQ(3, m.pat); // libxmp adds an empty pattern to every XM
    ASSERT_EQ(4, m.len);
    expectSameOrders(song, m);
    expectSameEvents(song, m, Format::Xm);
    ASSERT_EQ(3, m.ins);
    ASSERT_EQ(3, m.smp);
    expectSameSamples(song, m);
    expectSameVolumes(song, m);
}

TEST(XmWriter, InstrumentsKeepTheirEnvelopesFadeOutsAndPanning) {
    const Song song = xmSong();
    const Written w = writeXm(song);
    ASSERT_TRUE(w.ok()) << w.error;
    LoadedModule loaded(w.bytes);
    ASSERT_TRUE(loaded.ok());
    const xmp_module& m = *loaded.module();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("instrument " + std::to_string(i + 1));
        const Sample& s = song.samples[size_t(i)];
        const xmp_envelope& e = m.xxi[i].aei;
        ASSERT_EQ(int(s.envelope.points.size()), e.npt);
        EXPECT_EQ(!s.envelope.points.empty(), (e.flg & XMP_ENVELOPE_ON) != 0);
        for (int p = 0; p < e.npt; ++p) {
            EXPECT_EQ(s.envelope.points[size_t(p)].tick, e.data[2 * p]);
            EXPECT_EQ(s.envelope.points[size_t(p)].value, e.data[2 * p + 1]);
        }
        EXPECT_EQ(s.envelope.sustain >= 0, (e.flg & XMP_ENVELOPE_SUS) != 0);
        if (s.envelope.sustain >= 0) {
            EXPECT_EQ(s.envelope.sustain, e.sus);
        }
        EXPECT_EQ(0, m.xxi[i].pei.flg & XMP_ENVELOPE_ON);
        EXPECT_EQ(s.fadeout * 2, m.xxi[i].rls); // libxmp keeps it doubled
        EXPECT_EQ(s.panning == PAN_DEFAULT ? 128 : s.panning, m.xxi[i].sub[0].pan);
        EXPECT_EQ(0, m.xxi[i].sub[0].xpo); // C-4 plays at the base rate
        EXPECT_EQ(0, m.xxi[i].sub[0].fin);
        for (int key = 12; key < 108; ++key) EXPECT_EQ(0, m.xxi[i].map[key].ins) << key;
    }
}

TEST(XmWriter, LaysOutTheFileAsFastTrackerDoes) {
    Song song;
    song.name = "tiny";
    song.channels = 2;
    Sample s;
    s.name = "steps";
    s.data = {10, 20, 15, -128, 127};
    song.samples = {s};
    Pattern p(1, 2);
    p.at(0, 0) = cell(60, 1, 64, Effect::Vibrato, 0x12);
    song.patterns = {p};
    song.orders = {0};
    const Written w = writeXm(song);
    ASSERT_TRUE(w.ok()) << w.error;
    const std::vector<uint8_t>& b = w.bytes;
    auto le16 = [&](size_t at) { return b[at] | b[at + 1] << 8; };
    auto le32 = [&](size_t at) { return uint32_t(le16(at)) | uint32_t(le16(at + 2)) << 16; };
    EXPECT_EQ(0, std::memcmp(b.data(), "Extended Module: tiny", 21));
    EXPECT_EQ(0x1A, b[37]);
    EXPECT_EQ(0x0104, le16(58));
    EXPECT_EQ(276u, le32(60));
    EXPECT_EQ(1, le16(64)); // song length
    EXPECT_EQ(2, le16(68)); // channels
    EXPECT_EQ(1, le16(70)); // patterns
    EXPECT_EQ(1, le16(72)); // instruments
    EXPECT_EQ(1, le16(74)); // linear frequencies
    EXPECT_EQ(6, le16(76)); // speed
    EXPECT_EQ(125, le16(78));
    // The pattern: a full cell as five plain bytes (C-4 is 49; volume 64
    // is 0x50), an empty one as a lone mask.
    const size_t pattern = 60 + 276;
    EXPECT_EQ(9u, le32(pattern));
    EXPECT_EQ(1, le16(pattern + 5));
    ASSERT_EQ(6, le16(pattern + 7));
    const uint8_t cells[6] = {49, 1, 0x50, 4, 0x12, 0x80};
    EXPECT_EQ(0, std::memcmp(&b[pattern + 9], cells, 6));
    const size_t instrument = pattern + 9 + 6;
    EXPECT_EQ(263u, le32(instrument));
    EXPECT_EQ(1, le16(instrument + 27));
    EXPECT_EQ(40u, le32(instrument + 29));
    const size_t sample = instrument + 263;
    EXPECT_EQ(5u, le32(sample));
    EXPECT_EQ(64, b[sample + 12]);
    EXPECT_EQ(0, b[sample + 14]); // no loop
    EXPECT_EQ(128, b[sample + 15]);
    // The data as differences: 10, +10, -5, -143 (wraps to 113), +255 (-1).
    const uint8_t deltas[5] = {10, 10, 251, 113, 255};
    ASSERT_EQ(sample + 40 + 5, b.size());
    EXPECT_EQ(0, std::memcmp(&b[sample + 40], deltas, 5));
}

TEST(XmWriter, RefusesWhatFastTrackerCannotHold) {
    struct Case {
        const char* what;
        void (*change)(Song&);
    };
    const Case cases[] = {
        {"note below C-0", [](Song& s) { s.patterns[0].at(0, 0).note = 11; }},
        {"note above B-7", [](Song& s) { s.patterns[0].at(0, 0).note = 108; }},
        {"13 envelope points",
         [](Song& s) {
             s.samples[0].envelope.points.clear();
             for (int i = 0; i < 13; ++i) s.samples[0].envelope.points.push_back({i * 2, 30});
         }},
        {"envelope tick past 65535",
         [](Song& s) { s.samples[0].envelope.points.back().tick = 70000; }},
        {"33 channels",
         [](Song& s) {
             s.channels = 33;
             for (Pattern& p : s.patterns) p = Pattern(64, 33);
         }},
        {"257 rows", [](Song& s) { s.patterns[1] = Pattern(257, 6); }},
        {"129 instruments", [](Song& s) { s.samples.resize(129, sawCycle("more", 8)); }},
        {"257 orders", [](Song& s) { s.orders.resize(257, 0); }},
        {"break past row 99",
         [](Song& s) {
             s.patterns[1].at(0, 0) = cell(NOTE_NONE, 0, -1, Effect::PatternBreak, 100);
         }},
        // What no format takes.
        {"volume over 64", [](Song& s) { s.patterns[0].at(0, 0).volume = 65; }},
        {"sample that does not exist", [](Song& s) { s.patterns[0].at(0, 0).instrument = 4; }},
        {"envelope going back", [](Song& s) { s.samples[0].envelope.points[2].tick = 2; }},
        {"sustain point that does not exist", [](Song& s) { s.samples[2].envelope.sustain = 4; }},
    };
    for (const Case& c : cases) {
        Song song = xmSong();
        c.change(song);
        const Written w = writeXm(song);
        EXPECT_FALSE(w.ok()) << c.what;
        EXPECT_TRUE(w.bytes.empty()) << c.what;
    }
    EXPECT_TRUE(writeXm(xmSong()).ok());
}

} // namespace
