// One song written as ProTracker, FastTracker II and Impulse Tracker
// modules: libxmp reads the same events from all three, and plays all
// three for the same time, the time the song's rows, speeds, tempos, breaks
// and jumps add up to.

#include "demo/generators/tracker_it.h"
#include "demo/generators/tracker_mod.h"
#include "demo/generators/tracker_xm.h"
#include "tracker_test_support.h"

namespace {

using namespace trackertest;

// Played: pattern 0 to its break at row 31 (32 rows at speed 6, 125 beats
// a minute), pattern 1 from row 16: 24 rows at speed 6, 10 at speed 3, and
// 6 at speed 3 and 150 beats a minute up to its jump at row 55 to the last
// order; then all of pattern 2 at speed 3 and 150.
Song flowSong() {
    Song s;
    s.name = "every format";
    s.channels = 4;
    s.samples = {sawCycle("saw", 64), burst("burst", 900, 5)};
    for (int p = 0; p < 3; ++p) {
        Pattern pat(64, 4);
        for (int row = 0; row < 64; row += 2)
            pat.at(row, row % 4) = cell(48 + (row + p * 5) % 36, 1 + row % 2, 20 + row % 40);
        pat.at(1, 1) = cell(60, 2, VOLUME_NONE, Effect::Vibrato, 0x34);
        pat.at(3, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::VolumeSlide, 0x02);
        s.patterns.push_back(pat);
    }
    s.patterns[0].at(31, 3) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PatternBreak, 16);
    s.patterns[1].at(40, 1) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetSpeed, 3);
    s.patterns[1].at(50, 1) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::SetTempo, 150);
    s.patterns[1].at(55, 1) = cell(NOTE_NONE, 0, VOLUME_NONE, Effect::PositionJump, 2);
    s.orders = {0, 1, 2};
    return s;
}

// The same time worked out from the rows: a tick lasts 2.5 / tempo s.
constexpr double kFlowMs =
    32 * 6 * 20.0 + 24 * 6 * 20.0 + 10 * 3 * 20.0 + (6 + 64) * 3 * 2500.0 / 150;

TEST(TrackerFormats, OneSongReadsTheSameFromEveryFormat) {
    const Song song = flowSong();
    const struct {
        Format format;
        Written written;
    } files[] = {
        {Format::Mod, writeMod(song)}, {Format::Xm, writeXm(song)}, {Format::It, writeIt(song)}};
    for (const auto& f : files) {
        SCOPED_TRACE(int(f.format));
        ASSERT_TRUE(f.written.ok()) << f.written.error;
        LoadedModule loaded(f.written.bytes);
        ASSERT_TRUE(loaded.ok());
        expectSameOrders(song, *loaded.module());
        expectSameEvents(song, *loaded.module(), f.format);
        expectSameSamples(song, *loaded.module());
        expectSameVolumes(song, *loaded.module());
    }
}

TEST(TrackerFormats, OneSongPlaysForTheSameTimeInEveryFormat) {
    const Song song = flowSong();
    const Written mod = writeMod(song), xm = writeXm(song), it = writeIt(song);
    ASSERT_TRUE(mod.ok() && xm.ok() && it.ok());
    const long frames = playedFrames(mod);
    EXPECT_NEAR(kFlowMs * 8, double(frames), 8 * 20); // within a tick at 8 kHz
    EXPECT_EQ(frames, playedFrames(xm));
    EXPECT_EQ(frames, playedFrames(it));
    for (const Written* w : {&mod, &xm, &it}) {
        LoadedModule loaded(w->bytes);
        ASSERT_TRUE(loaded.ok());
        EXPECT_NEAR(kFlowMs, loaded.durationMs(), 20);
    }
}

} // namespace
