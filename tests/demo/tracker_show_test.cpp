// The show's four tunes as make_music writes them: each loads in libxmp in
// the format its file name says, with its channels and patterns, and lasts
// as long as the show's timing gives it; the bytes are the same on every
// build, and the opening's are the ones its MP3 was made from.

#include "demo/generators/show_timing.h"
#include "demo/generators/tracker_mod.h"
#include "demo/generators/tracker_show.h"
#include "demo/generators/tracker_xm.h"
#include "tracker_test_support.h"

#include <set>

namespace {

using namespace trackertest;
using tracker::tunes::kShowTunes;

std::string ending(const std::string& file) {
    return file.substr(file.rfind('.'));
}

TEST(ShowTunes, EachLoadsInItsFormatAndLastsAsTheShowTimesIt) {
    struct Expected {
        const char* type; // what libxmp names the format
        int minChannels, maxChannels;
    };
    const Expected expected[show::TUNE_COUNT] = {{"Protracker M.K.", 4, 4},
                                                 {"XM 1.04", 6, 32},
                                                 {"IT 2.14", 8, 8},
                                                 {"Protracker M.K.", 4, 4}};
    for (int i = 0; i < show::TUNE_COUNT; ++i) {
        const show::Tune& timing = show::kTunes[i];
        SCOPED_TRACE(timing.file);
        ASSERT_STREQ(timing.file, kShowTunes[i].file);
        const Song song = kShowTunes[i].compose();
        const Written w = kShowTunes[i].write(song);
        ASSERT_TRUE(w.ok()) << w.error;
        LoadedModule loaded(w.bytes);
        ASSERT_TRUE(loaded.ok());
        const xmp_module& m = *loaded.module();
        EXPECT_NE(nullptr, std::strstr(m.type, expected[i].type)) << m.type;
        EXPECT_GE(m.chn, expected[i].minChannels);
        EXPECT_LE(m.chn, expected[i].maxChannels);
        EXPECT_EQ(song.channels, m.chn);
        // Every pattern once, in order: the show counts on its length.
        const int patterns = timing.patterns;
        const bool it = ending(timing.file) == ".it";
        ASSERT_EQ(patterns + (it ? 1 : 0), m.len);
        for (int p = 0; p < patterns; ++p) EXPECT_EQ(p, m.xxo[p]);
        EXPECT_EQ(patterns + (ending(timing.file) == ".xm" ? 1 : 0), m.pat);
        for (int p = 0; p < patterns; ++p) EXPECT_EQ(64, m.xxp[p]->rows);
        EXPECT_EQ(6, m.spd);
        EXPECT_EQ(125, m.bpm);
        EXPECT_EQ(patterns * show::PATTERN_MS, loaded.durationMs());
        EXPECT_NEAR(patterns * show::PATTERN_MS * 8, double(playedFrames(w)), 8);
    }
}

TEST(ShowTunes, TheForgeHasEnvelopesAndPanning) {
    const Written w = writeXm(tracker::tunes::forge());
    ASSERT_TRUE(w.ok()) << w.error;
    LoadedModule loaded(w.bytes);
    ASSERT_TRUE(loaded.ok());
    const xmp_module& m = *loaded.module();
    int envelopes = 0;
    std::set<int> pans;
    for (int i = 0; i < m.ins; ++i) {
        if (m.xxi[i].aei.flg & XMP_ENVELOPE_ON) ++envelopes;
        if (m.xxi[i].nsm) pans.insert(m.xxi[i].sub[0].pan);
    }
    EXPECT_GE(envelopes, 1);
    EXPECT_GE(pans.size(), 3u); // spread across the field, not all in the centre
}

// Composition draws on no clock or random state: composing twice gives the
// same bytes (the opening's bytes are pinned below).
TEST(ShowTunes, ComposingTwiceGivesTheSameBytes) {
    for (const tracker::tunes::TuneFile& tune : kShowTunes) {
        const Written a = tune.write(tune.compose()), b = tune.write(tune.compose());
        ASSERT_TRUE(a.ok()) << tune.file;
        EXPECT_EQ(a.bytes, b.bytes) << tune.file;
    }
}

// The opening's bytes are fixed: its MP3 and the show's cues were made
// from them.
TEST(ShowTunes, TheOpeningIsTheModuleItAlwaysWas) {
    const Written w = writeMod(tracker::tunes::opening());
    ASSERT_TRUE(w.ok()) << w.error;
    ASSERT_EQ(16120u, w.bytes.size());
    uint64_t fnv = 0xcbf29ce484222325u; // FNV-1a
    for (uint8_t b : w.bytes) fnv = (fnv ^ b) * 0x100000001b3u;
    EXPECT_EQ(0x7d70a2e46b53973bu, fnv);
}

} // namespace
