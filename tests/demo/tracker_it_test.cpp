// The Impulse Tracker writer: its files read back through libxmp as the
// song that was written (events, note-offs, orders, patterns of 32 to 200
// rows, samples with their volumes, panning and C-5 speed), packed with
// channel masks and last values as the format has them, and the songs it
// cannot hold refused.

#include "demo/generators/tracker_it.h"
#include "tracker_test_support.h"

namespace {

using namespace trackertest;

// Eight channels, patterns of 32 and 200 rows played 1, 0, 1, repeated
// cells (which pack as last values), the whole note range, note-offs,
// volumes, every effect, and samples looped and not, panned and not.
Song itSong() {
    Song s;
    s.name = "impulse writer test";
    s.channels = 8;
    s.speed = 3;
    s.tempo = 150;
    s.samples = {sawCycle("saw", 32), burst("burst", 2001, 11), sawCycle("pad", 100, 22)};
    s.samples[1].panning = 255;
    s.samples[2].panning = 64;
    s.samples[2].loopStart = 20;
    s.samples[2].loopLength = 80;
    Pattern a(32, 8), b(200, 8);
    for (int row = 0; row < 32; ++row) {
        a.at(row, 0) = cell(60, 1, 40);                   // the same cell every row
        a.at(row, 1) = cell(row * 119 / 31, 1 + row % 3); // C-0 to B-9
        if (row % 4 == 2) a.at(row, 2) = cell(NOTE_OFF, 0);
    }
    a.at(0, 3) = cell(60, 3, 0, Effect::Arpeggio, 0x37);
    a.at(1, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PortaUp, 0xDF);
    a.at(2, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PortaDown, 4);
    a.at(3, 3) = cell(67, 3, 64, Effect::TonePorta, 0x20);
    a.at(4, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::Vibrato, 0x44);
    a.at(5, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::Vibrato, 0x44); // last effect
    a.at(6, 4) = cell(50, 2, VOLUME_NONE, Effect::SetPanning, 0x80);
    a.at(7, 4) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SampleOffset, 3);
    a.at(8, 4) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::VolumeSlide, 0x40);
    a.at(9, 4) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::VolumeSlide, 0x04);
    a.at(10, 5) = cell(48, 1, VOLUME_NONE, Effect::NoteCut, 2);
    a.at(11, 5) = cell(48, 1, VOLUME_NONE, Effect::NoteDelay, 1);
    a.at(12, 5) = cell(48, 1, VOLUME_NONE, Effect::Retrigger, 4);
    a.at(13, 6) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetSpeed, 5);
    a.at(14, 6) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetTempo, 99);
    a.at(15, 7) = cell(NOTE_NONE, 2, VOLUME_NONE); // an instrument alone
    a.at(31, 7) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PositionJump, 2);
    b.at(0, 7) = cell(72, 2, 64);
    b.at(199, 7) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PatternBreak, 150);
    s.patterns = {a, b};
    s.orders = {1, 0, 1};
    return s;
}

TEST(ItWriter, LibxmpReadsBackTheSong) {
    const Song song = itSong();
    const Written w = writeIt(song);
    ASSERT_TRUE(w.ok()) << w.error;
    LoadedModule loaded(w.bytes);
    ASSERT_TRUE(loaded.ok());
    const xmp_module& m = *loaded.module();
    EXPECT_NE(nullptr, std::strstr(m.type, "IT 2.14")) << m.type;
    EXPECT_STREQ("impulse writer test", m.name);
    EXPECT_EQ(3, m.spd);
    EXPECT_EQ(150, m.bpm);
    EXPECT_EQ(2, m.pat);
    ASSERT_EQ(4, m.len); // the orders and their end marker
    expectSameOrders(song, m);
    EXPECT_EQ(0xFF, m.xxo[3]);
    expectSameEvents(song, m, Format::It);
    ASSERT_EQ(3, m.smp);
    ASSERT_EQ(3, m.ins); // one an instrument-less sample
    expectSameSamples(song, m);
    expectSameVolumes(song, m);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("sample " + std::to_string(i + 1));
        const int pan = song.samples[size_t(i)].panning;
        if (pan == PAN_DEFAULT)
            EXPECT_EQ(-1, m.xxi[i].sub[0].pan);
        else
            EXPECT_NEAR(pan, m.xxi[i].sub[0].pan, 4);
        EXPECT_EQ(0, m.xxi[i].sub[0].xpo); // C-5 plays at the base rate
        EXPECT_EQ(0, m.xxi[i].sub[0].fin);
    }
    for (int ch = 0; ch < 8; ++ch) {
        EXPECT_EQ(128, m.xxc[ch].pan) << ch;
        EXPECT_EQ(0, m.xxc[ch].flg & XMP_CHANNEL_MUTE) << ch;
    }
}

TEST(ItWriter, KeepsAChannelNoPatternUses) {
    Song song = itSong();
    for (Pattern& p : song.patterns)
        for (int row = 0; row < p.rows; ++row) p.at(row, 7) = Cell();
    const Written w = writeIt(song);
    ASSERT_TRUE(w.ok()) << w.error;
    LoadedModule loaded(w.bytes);
    ASSERT_TRUE(loaded.ok());
    expectSameEvents(song, *loaded.module(), Format::It);
}

TEST(ItWriter, PacksRepeatsWithMasksAndLastValues) {
    Song song;
    song.name = "packing";
    song.channels = 2;
    song.samples = {sawCycle("saw", 16)};
    Pattern p(32, 2);
    for (int row = 0; row < 32; ++row) p.at(row, 1) = cell(60, 1);
    song.patterns = {p};
    song.orders = {0};
    const Written w = writeIt(song);
    ASSERT_TRUE(w.ok()) << w.error;
    const std::vector<uint8_t>& b = w.bytes;
    auto le16 = [&](size_t at) { return b[at] | b[at + 1] << 8; };
    auto le32 = [&](size_t at) { return uint32_t(le16(at)) | uint32_t(le16(at + 2)) << 16; };
    EXPECT_EQ(0, std::memcmp(b.data(), "IMPM", 4));
    EXPECT_EQ(2, le16(0x20)); // one order and the end marker
    EXPECT_EQ(0, le16(0x22)); // no instruments
    EXPECT_EQ(1, le16(0x24));
    EXPECT_EQ(1, le16(0x26));
    EXPECT_EQ(0, le16(0x2C) & 4); // sample mode
    EXPECT_EQ(6, b[0x32]);
    EXPECT_EQ(125, b[0x33]);
    EXPECT_EQ(32, b[0x40 + 1]);       // channel 2 in the centre
    EXPECT_EQ(32 | 128, b[0x40 + 2]); // channel 3 off
    EXPECT_EQ(0, b[0xC0]);
    EXPECT_EQ(255, b[0xC1]);
    const size_t sample = le32(0xC2), pattern = le32(0xC6);
    EXPECT_EQ(0, std::memcmp(&b[sample], "IMPS", 4));
    EXPECT_EQ(1 | 16, b[sample + 0x12]); // data, looped
    EXPECT_EQ(1, b[sample + 0x2E]);      // signed
    EXPECT_EQ(16u, le32(sample + 0x30));
    EXPECT_EQ(0u, le32(sample + 0x34));
    EXPECT_EQ(16u, le32(sample + 0x38));
    EXPECT_EQ(8363u, le32(sample + 0x3C));
    const size_t data = le32(sample + 0x48);
    ASSERT_EQ(data + 16, b.size());
    EXPECT_EQ(0, std::memcmp(&b[data], song.samples[0].data.data(), 16));
    // Row 0: channel 2 with a new mask (note, instrument) and both values;
    // row 1: a new mask saying "the last note and instrument"; every row
    // after: the channel alone, its mask unchanged.
    EXPECT_EQ(32, le16(pattern + 2));
    const std::vector<uint8_t> rows = {0x82, 0x03, 60, 1, 0, 0x82, 0x30, 0, 2, 0};
    const int length = le16(pattern);
    ASSERT_EQ(int(rows.size()) + 30 * 2 - 2, length);
    EXPECT_EQ(0, std::memcmp(&b[pattern + 8], rows.data(), rows.size()));
}

TEST(ItWriter, RefusesWhatImpulseTrackerCannotHold) {
    struct Case {
        const char* what;
        void (*change)(Song&);
    };
    const Case cases[] = {
        {"65 channels",
         [](Song& s) {
             s.channels = 65;
             for (Pattern& p : s.patterns) p = Pattern(64, 65);
         }},
        {"31 rows", [](Song& s) { s.patterns[0] = Pattern(31, 8); }},
        {"201 rows", [](Song& s) { s.patterns[1] = Pattern(201, 8); }},
        {"100 samples", [](Song& s) { s.samples.resize(100, sawCycle("more", 8)); }},
        {"256 orders", [](Song& s) { s.orders.resize(256, 0); }},
        {"201 patterns", [](Song& s) { s.patterns.resize(201, Pattern(64, 8)); }},
        {"envelope",
         [](Song& s) {
             s.samples[0].envelope.points = {{0, 64}, {9, 0}};
         }},
        {"fade-out", [](Song& s) { s.samples[0].fadeout = 10; }},
        {"fine porta",
         [](Song& s) { s.patterns[0].at(1, 3) = cell(NOTE_NONE, 0, -1, Effect::PortaUp, 0xE0); }},
        {"note cut at tick 0",
         [](Song& s) { s.patterns[0].at(10, 5) = cell(48, 1, -1, Effect::NoteCut, 0); }},
        {"note delay of 0 ticks",
         [](Song& s) { s.patterns[0].at(11, 5) = cell(48, 1, -1, Effect::NoteDelay, 0); }},
        // What no format takes.
        {"note above B-9", [](Song& s) { s.patterns[0].at(0, 1).note = 120; }},
        {"order naming no pattern", [](Song& s) { s.orders.push_back(2); }},
        {"volume slide both ways",
         [](Song& s) {
             s.patterns[0].at(8, 4) = cell(NOTE_NONE, 0, -1, Effect::VolumeSlide, 0x11);
         }},
        {"retrigger of 0 ticks",
         [](Song& s) { s.patterns[0].at(12, 5) = cell(48, 1, -1, Effect::Retrigger, 0); }},
        {"speed 0", [](Song& s) { s.speed = 0; }},
        {"tempo 31", [](Song& s) { s.tempo = 31; }},
        {"loop past the end", [](Song& s) { s.samples[2].loopLength = 81; }},
        {"parameter without an effect", [](Song& s) { s.patterns[0].at(20, 6).param = 3; }},
        {"pattern of the wrong width", [](Song& s) { s.patterns[1] = Pattern(64, 7); }},
    };
    for (const Case& c : cases) {
        Song song = itSong();
        c.change(song);
        const Written w = writeIt(song);
        EXPECT_FALSE(w.ok()) << c.what;
        EXPECT_TRUE(w.bytes.empty()) << c.what;
    }
    EXPECT_TRUE(writeIt(itSong()).ok());
}

} // namespace
