// The ProTracker writer: its files read back through libxmp as the song
// that was written (events, orders, samples), laid out byte for byte as the
// format has it, and the songs it cannot hold refused with a reason.

#include "demo/generators/tracker_mod.h"
#include "tracker_test_support.h"

namespace {

using namespace trackertest;

// Two patterns played 1, 0, 1, with the lowest and highest notes, volumes
// (effect C), every effect ProTracker has, and samples looped and not.
Song modSong() {
    Song s;
    s.name = "mod writer test";
    s.channels = 4;
    s.samples = {sawCycle("saw", 32), burst("burst", 1000, 7), sawCycle("long", 256, 20)};
    s.samples[2].loopStart = 64;
    s.samples[2].loopLength = 128;
    for (int p = 0; p < 2; ++p) {
        Pattern pat(64, 4);
        for (int row = 0; row < 64; row += 4) pat.at(row, 0) = cell(48 + (row / 4 + p) % 36, 1);
        pat.at(1, 1) = cell(83, 2, 40);
        pat.at(2, 1) = cell(NOTE_NONE, 0, 0);
        pat.at(3, 2) = cell(60, 3, VOLUME_NONE, Effect::Arpeggio, 0x37);
        pat.at(5, 2) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PortaUp, 4);
        pat.at(6, 2) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PortaDown, 0xDF);
        pat.at(7, 2) = cell(67, 3, VOLUME_NONE, Effect::TonePorta, 8);
        pat.at(9, 2) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::Vibrato, 0x46);
        pat.at(10, 3) = cell(62, 2, VOLUME_NONE, Effect::SampleOffset, 2);
        pat.at(11, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::VolumeSlide, 0x20);
        pat.at(12, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::VolumeSlide, 0x03);
        pat.at(13, 3) = cell(64, 1, VOLUME_NONE, Effect::NoteCut, 3);
        pat.at(14, 3) = cell(64, 1, VOLUME_NONE, Effect::NoteDelay, 2);
        pat.at(15, 3) = cell(64, 1, VOLUME_NONE, Effect::Retrigger, 2);
        pat.at(16, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetSpeed, 6);
        pat.at(17, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetTempo, 125);
        pat.at(20, 3) = cell(NOTE_NONE, 3); // an instrument alone
        s.patterns.push_back(pat);
    }
    s.patterns[1].at(63, 1) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PatternBreak, 12);
    s.orders = {1, 0, 1};
    return s;
}

TEST(ModWriter, LibxmpReadsBackTheSong) {
    const Song song = modSong();
    const Written w = writeMod(song);
    ASSERT_TRUE(w.ok()) << w.error;
    LoadedModule loaded(w.bytes);
    ASSERT_TRUE(loaded.ok());
    const xmp_module& m = *loaded.module();
    EXPECT_STREQ("Protracker M.K.", m.type);
    EXPECT_STREQ("mod writer test", m.name);
    EXPECT_EQ(2, m.pat);
    ASSERT_EQ(3, m.len);
    expectSameOrders(song, m);
    EXPECT_EQ(6, m.spd);
    EXPECT_EQ(125, m.bpm);
    expectSameEvents(song, m, Format::Mod);
    EXPECT_EQ(31, m.smp); // the format always has 31
    expectSameSamples(song, m);
    expectSameVolumes(song, m);
    for (int i = 3; i < 31; ++i) EXPECT_EQ(0, m.xxs[i].len) << "unused sample " << i + 1;
}

TEST(ModWriter, LaysOutTheFileAsProTrackerDoes) {
    Song song = modSong();
    song.samples[1].data.resize(1002);
    const Written w = writeMod(song);
    ASSERT_TRUE(w.ok()) << w.error;
    const std::vector<uint8_t>& b = w.bytes;
    auto be16 = [&](size_t at) { return b[at] << 8 | b[at + 1]; };
    EXPECT_EQ(0, std::memcmp(b.data(), "mod writer test\0\0\0\0\0", 20));
    // Sample 2's record: name, length in words, finetune, volume, loop.
    const size_t second = 20 + 30;
    EXPECT_EQ(0, std::memcmp(&b[second], "burst", 6));
    EXPECT_EQ(501, be16(second + 22));
    EXPECT_EQ(64, b[second + 25]);
    EXPECT_EQ(1, be16(second + 28)); // no loop: one word
    const size_t third = 20 + 2 * 30;
    EXPECT_EQ(32, be16(third + 26)); // loop start 64 bytes
    EXPECT_EQ(64, be16(third + 28)); // loop length 128 bytes
    EXPECT_EQ(3, b[950]);            // song length
    EXPECT_EQ(127, b[951]);
    EXPECT_EQ(1, b[952]);
    EXPECT_EQ(0, b[953]);
    EXPECT_EQ(0, std::memcmp(&b[1080], "M.K.", 4));
    // Pattern 0, row 0, channel 0: sample 1 at C-1 (period 856); row 1,
    // channel 1: sample 2 at B-3 (period 113) with volume 40 as effect C.
    EXPECT_EQ(0x03, b[1084]);
    EXPECT_EQ(0x58, b[1085]);
    EXPECT_EQ(0x10, b[1086]);
    const size_t row1 = 1084 + 16 + 4;
    EXPECT_EQ(0x00, b[row1]);
    EXPECT_EQ(113, b[row1 + 1]);
    EXPECT_EQ(0x2C, b[row1 + 2]);
    EXPECT_EQ(40, b[row1 + 3]);
    // Pattern 1, row 63: a break to row 12, written as decimal digits.
    const size_t last = 1084 + 1024 + 63 * 16 + 4;
    EXPECT_EQ(0x0D, b[last + 2]);
    EXPECT_EQ(0x12, b[last + 3]);
    // The sample data follows the patterns as it is, signed.
    const size_t data = 1084 + 2 * 1024;
    ASSERT_EQ(data + 32 + 1002 + 256, b.size());
    EXPECT_EQ(uint8_t(song.samples[0].data[0]), b[data]);
    EXPECT_EQ(uint8_t(song.samples[1].data[5]), b[data + 32 + 5]);
}

TEST(ModWriter, RefusesWhatProTrackerCannotHold) {
    struct Case {
        const char* what;
        void (*change)(Song&);
    };
    const Case cases[] = {
        {"note below C-1", [](Song& s) { s.patterns[0].at(0, 0).note = 47; }},
        {"note above B-3", [](Song& s) { s.patterns[0].at(0, 0).note = 84; }},
        {"note-off", [](Song& s) { s.patterns[0].at(0, 0).note = NOTE_OFF; }},
        {"volume and effect in one cell", [](Song& s) { s.patterns[0].at(3, 2).volume = 20; }},
        {"panning effect",
         [](Song& s) { s.patterns[0].at(4, 0) = cell(NOTE_NONE, 0, -1, Effect::SetPanning, 9); }},
        {"sample panning", [](Song& s) { s.samples[0].panning = 40; }},
        {"envelope",
         [](Song& s) {
             s.samples[0].envelope.points = {{0, 64}};
         }},
        {"odd sample length", [](Song& s) { s.samples[1].data.push_back(0); }},
        {"odd loop", [](Song& s) { s.samples[2].loopStart = 63; }},
        {"loop of one word", [](Song& s) { s.samples[2].loopLength = 2; }},
        {"sample over 128 KiB", [](Song& s) { s.samples[1].data.resize(131072); }},
        {"32 samples", [](Song& s) { s.samples.resize(32, sawCycle("more", 8)); }},
        {"five channels",
         [](Song& s) {
             s.channels = 5;
             for (Pattern& p : s.patterns) p = Pattern(64, 5);
         }},
        {"rows other than 64",
         [](Song& s) {
             for (Pattern& p : s.patterns) p = Pattern(32, 4);
         }},
        {"speed other than 6", [](Song& s) { s.speed = 5; }},
        {"tempo other than 125", [](Song& s) { s.tempo = 140; }},
        {"a pattern no order plays", [](Song& s) { s.patterns.push_back(Pattern(64, 4)); }},
        {"129 orders", [](Song& s) { s.orders.resize(129, 0); }},
        {"65 patterns",
         [](Song& s) {
             s.patterns.resize(65, Pattern(64, 4));
             s.orders = {64};
         }},
        {"break past row 63",
         [](Song& s) {
             s.patterns[0].at(0, 3) = cell(NOTE_NONE, 0, -1, Effect::PatternBreak, 64);
         }},
    };
    for (const Case& c : cases) {
        Song song = modSong();
        c.change(song);
        const Written w = writeMod(song);
        EXPECT_FALSE(w.ok()) << c.what;
        EXPECT_TRUE(w.bytes.empty()) << c.what;
    }
    EXPECT_TRUE(writeMod(modSong()).ok()); // and the song unchanged is written
}

} // namespace
