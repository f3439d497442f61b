// The sound library's decoders on the shared test tunes.

#include "tmz/decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> readTune(const std::string& relative) {
    std::ifstream in(std::filesystem::path(NL_TESTDATA_DIR) / "music" / relative, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

// Renders up to `seconds` of the tune; returns frames made and the peak level.
std::pair<long, int> renderSome(Decoder& d, double seconds) {
    std::vector<int16_t> buffer(4096 * 2);
    long total = 0;
    int peak = 0;
    long wanted = long(seconds * d.sampleRate());
    while (total < wanted) {
        int n = d.render(buffer.data(), 4096);
        if (n == 0) break;
        for (int i = 0; i < n * 2; ++i) peak = std::max(peak, std::abs(int(buffer[size_t(i)])));
        total += n;
    }
    return {total, peak};
}

} // namespace

TEST(TuneDecoder, EveryTestTuneDecodes) {
    // The two loader test modules from the tracker's test suite carry no
    // audible notes: they must decode, not sound.
    struct Case {
        const char* file;
        int type;
        bool audible;
    } cases[] = {
        {"mod/openmpt_test.mod", TUNE_MOD, false},   {"xm/openmpt_test.xm", TUNE_XM, false},
        {"xm/libxmp_stereo.xm", TUNE_XM, true},      {"it/libxmp_stereo.it", TUNE_IT, true},
        {"it/libxmp_sample_sync.it", TUNE_IT, true}, {"mp3/beets_whitenoise.mp3", TUNE_MP3, true}};
    for (const Case& c : cases) {
        std::vector<uint8_t> data = readTune(c.file);
        ASSERT_FALSE(data.empty()) << c.file;
        auto decoder = openDecoder(data.data(), data.size(), c.type);
        ASSERT_NE(decoder, nullptr) << c.file;
        EXPECT_GT(decoder->sampleRate(), 0);
        auto [frames, peak] = renderSome(*decoder, 2.0);
        EXPECT_GT(frames, 0) << c.file;
        if (c.audible) {
            EXPECT_GT(peak, 0) << c.file << " is silent";
        }
    }
}

TEST(TuneDecoder, UnknownTypeIsDetectedAndGarbageRefused) {
    std::vector<uint8_t> xm = readTune("xm/libxmp_stereo.xm");
    EXPECT_NE(openDecoder(xm.data(), xm.size(), TUNE_UNKNOWN), nullptr);
    std::vector<uint8_t> mp3 = readTune("mp3/beets_whitenoise.mp3");
    EXPECT_NE(openDecoder(mp3.data(), mp3.size(), TUNE_UNKNOWN), nullptr);
    std::vector<uint8_t> junk(5000, 0x5A);
    EXPECT_EQ(openDecoder(junk.data(), junk.size(), TUNE_XM), nullptr);
    EXPECT_EQ(openDecoder(junk.data(), junk.size(), TUNE_MP3), nullptr);
    EXPECT_NE(openDecoder(mp3.data(), mp3.size(), TUNE_MP3), nullptr);
    EXPECT_EQ(openDecoder(nullptr, 0, TUNE_MOD), nullptr);
    // An MP3 handed over as a module is refused rather than misplayed.
    EXPECT_EQ(openDecoder(mp3.data(), mp3.size(), TUNE_MOD), nullptr);
}

TEST(TuneDecoder, ModulesEndAndThenProduceNothing) {
    std::vector<uint8_t> data = readTune("xm/libxmp_stereo.xm");
    auto decoder = openDecoder(data.data(), data.size(), TUNE_XM);
    ASSERT_NE(decoder, nullptr);
    auto [frames, peak] = renderSome(*decoder, 600.0);
    EXPECT_LT(frames, long(600.0 * MODULE_SAMPLE_RATE)); // a short test tune ends
    std::vector<int16_t> buffer(256);
    EXPECT_EQ(decoder->render(buffer.data(), 128), 0);
}

// Seeking: what a seek to t gives must be what a decode from the start gives
// after t, sample for sample where the library allows it.
namespace {

std::vector<int16_t> renderFrames(Decoder& d, long frames) {
    std::vector<int16_t> out(size_t(frames) * 2);
    long made = 0;
    while (made < frames) {
        int n = d.render(out.data() + made * 2, int(std::min(frames - made, 4096L)));
        if (n == 0) break;
        made += n;
    }
    out.resize(size_t(made) * 2);
    return out;
}

struct Tune {
    std::vector<uint8_t> data;
    int type;
    std::unique_ptr<Decoder> open() const { return openDecoder(data.data(), data.size(), type); }
};

Tune loadTune(const char* file, int type) {
    Tune t{readTune(file), type};
    EXPECT_FALSE(t.data.empty()) << file;
    return t;
}

// `frames` frames from `seconds` on, decoded from the start.
std::vector<int16_t> straight(const Tune& tune, double seconds, long frames) {
    auto d = tune.open();
    if (!d) return {};
    renderFrames(*d, std::lround(seconds * d->sampleRate()));
    return renderFrames(*d, frames);
}

std::vector<int16_t> afterSeek(Decoder& d, double seconds, long frames) {
    EXPECT_TRUE(d.seek(seconds)) << seconds;
    return renderFrames(d, frames);
}

// Where two sample runs first differ (a stereo frame), or -1 when they are
// equal; a length difference counts from the shorter one's end.
long firstDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return long(i / 2);
    return a.size() == b.size() ? -1 : long(n / 2);
}

} // namespace

TEST(TuneDecoderSeek, Mp3SeeksToTheExactSample) {
    Tune mp3 = loadTune("mp3/beets_whitenoise.mp3", TUNE_MP3);
    // Targets in every phase of the decoder's frame cycle (1152 samples a
    // frame at 48 kHz), from the first frame to the last.
    const double times[] = {0.0, 0.0123, 0.1, 0.4173, 0.78, 1.217, 1.3333, 1.61, 1.99};
    for (double t : times) {
        std::vector<int16_t> expected = straight(mp3, t, 2000);
        auto d = mp3.open();
        ASSERT_NE(d, nullptr);
        std::vector<int16_t> got = afterSeek(*d, t, 2000);
        ASSERT_FALSE(expected.empty()) << t;
        EXPECT_EQ(firstDifference(got, expected), -1) << "at " << t << " s";
    }
}

TEST(TuneDecoderSeek, Mp3SeeksBackwardsAndPastTheEnd) {
    Tune mp3 = loadTune("mp3/beets_whitenoise.mp3", TUNE_MP3);
    auto d = mp3.open();
    ASSERT_NE(d, nullptr);
    std::vector<int16_t> fromStart = renderFrames(*d, 4000);
    renderFrames(*d, 80000); // well into the tune
    EXPECT_EQ(firstDifference(afterSeek(*d, 0.5, 3000), straight(mp3, 0.5, 3000)), -1);
    EXPECT_EQ(firstDifference(afterSeek(*d, 0.0, 4000), fromStart), -1);
    // Past the end: done, and nothing more comes...
    EXPECT_TRUE(d->seek(30.0));
    std::vector<int16_t> buffer(512);
    EXPECT_EQ(d->render(buffer.data(), 256), 0);
    // ...until a seek back into the tune.
    EXPECT_EQ(firstDifference(afterSeek(*d, 1.25, 2000), straight(mp3, 1.25, 2000)), -1);
    EXPECT_FALSE(d->seek(-1.0));
}

TEST(TuneDecoderSeek, ModulesSeekWithinTheFirstOrderExactly) {
    struct Case {
        const char* file;
        int type;
        double at; // seconds, before the tune's second order
    } cases[] = {{"xm/libxmp_stereo.xm", TUNE_XM, 3.217},
                 {"it/libxmp_stereo.it", TUNE_IT, 4.5},
                 {"it/libxmp_sample_sync.it", TUNE_IT, 3.217},
                 {"mod/openmpt_test.mod", TUNE_MOD, 0.117}}; // this one lasts 0.24 s here
    for (const Case& c : cases) {
        Tune tune = loadTune(c.file, c.type);
        std::vector<int16_t> expected = straight(tune, c.at, 4000);
        ASSERT_FALSE(expected.empty()) << c.file;
        auto d = tune.open();
        ASSERT_NE(d, nullptr) << c.file;
        EXPECT_EQ(firstDifference(afterSeek(*d, c.at, 4000), expected), -1) << c.file;
        // Backwards after playing on, and to the start: from the top again.
        renderFrames(*d, 20000);
        EXPECT_EQ(firstDifference(afterSeek(*d, c.at, 4000), expected), -1)
            << c.file << " backwards";
        EXPECT_EQ(firstDifference(afterSeek(*d, 0.0, 3000), straight(tune, 0.0, 3000)), -1)
            << c.file << " at 0";
    }
}

// A later order is reached through libxmp's own order seek. Its clock counts
// whole milliseconds and drops each frame's fraction of a sample, so at a
// tempo of 139 the samples run ahead of it (34 samples by the second order
// of this tune): the seek must land on the sample, not on that clock. These
// tunes have no note ringing across the order's start, so what libxmp resets
// there is silent and the samples match exactly.
TEST(TuneDecoderSeek, ModulesSeekIntoALaterOrderToTheSample) {
    Tune xm = loadTune("xm/libxmp_stereo.xm", TUNE_XM);
    Tune it = loadTune("it/libxmp_stereo.it", TUNE_IT);
    Tune xm139 = xm;
    ASSERT_GT(xm139.data.size(), 80u);
    xm139.data[78] = 139; // the header's default tempo, a 16-bit word at 78
    xm139.data[79] = 0;
    struct Case {
        const Tune* tune;
        double at; // seconds, in the second order (from 5.76 s, 5.18 s at 139)
        const char* what;
    } cases[] = {{&xm, 7.3, "xm"},
                 {&it, 7.3, "it"},
                 {&xm139, 6.0, "xm at tempo 139"},
                 {&xm139, 5.2, "xm at tempo 139, early in the order"}};
    for (const Case& c : cases) {
        std::vector<int16_t> expected = straight(*c.tune, c.at, 20000);
        ASSERT_EQ(expected.size(), 40000u) << c.what;
        auto d = c.tune->open();
        ASSERT_NE(d, nullptr) << c.what;
        EXPECT_EQ(firstDifference(afterSeek(*d, c.at, 20000), expected), -1) << c.what;
        // Back into the first order from the second.
        EXPECT_EQ(firstDifference(afterSeek(*d, 2.0, 4000), straight(*c.tune, 2.0, 4000)), -1)
            << c.what;
    }
}

TEST(TuneDecoderSeek, ModulesSeekPastTheEndAndBack) {
    Tune xm = loadTune("xm/libxmp_stereo.xm", TUNE_XM); // 11.52 s
    auto d = xm.open();
    ASSERT_NE(d, nullptr);
    std::vector<int16_t> buffer(4096 * 2);
    EXPECT_TRUE(d->seek(600.0));
    EXPECT_EQ(d->render(buffer.data(), 4096), 0);
    // The last 20 ms, then the end.
    EXPECT_TRUE(d->seek(11.5));
    EXPECT_EQ(d->render(buffer.data(), 4096), 882);
    EXPECT_EQ(d->render(buffer.data(), 4096), 0);
    // An ended tune plays again after a seek back.
    EXPECT_EQ(firstDifference(afterSeek(*d, 1.0, 4000), straight(xm, 1.0, 4000)), -1);
    EXPECT_FALSE(d->seek(-0.5));
}
