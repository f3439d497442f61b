// The sound library's decoders on the shared test tunes.

#include "tmz/decoder.h"

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
