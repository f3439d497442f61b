// Writes the show's four tunes (tracker_show.h), each in its own format, to
// OUT_DIR. With --wav it also renders, through libxmp at 44.1 kHz stereo,
// DIR/music.wav (the opening tune, for the MP3 encoder) and
// DIR/soundtrack.wav: the whole show's audio, each tune from the pattern of
// the show where the script starts it, cut where the next starts, the last
// running two seconds past the show's end while it fades out (for the
// show's video). Everything is deterministic: the same bytes on every build.
//
//   make_music OUT_DIR [--wav DIR]

#include "show_timing.h"
#include "tracker_render.h"
#include "tracker_show.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

constexpr int RATE = 44100;
constexpr int FADE_MS = 2000;

long framesAt(long ms) {
    return ms * RATE / 1000;
}

bool save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

bool saveWav(const std::string& path, const tracker::Pcm& pcm) {
    if (!tracker::writeWav(path, pcm)) {
        std::fprintf(stderr, "make_music: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("make_music: %s (%.2f s)\n", path.c_str(), double(pcm.frames()) / pcm.rate);
    return true;
}

// The soundtrack: each tune rendered for as long as the show plays it.
bool writeSoundtrack(const std::string& path, const std::vector<std::vector<uint8_t>>& files,
                     const tracker::Pcm& opening) {
    const long end = framesAt(show::END_MS + FADE_MS);
    std::vector<tracker::Pcm> pcm(files.size());
    std::vector<tracker::Placed> parts;
    for (size_t i = 0; i < files.size(); ++i) {
        const long start = framesAt(long(show::kTunes[i].startPattern) * show::PATTERN_MS);
        const long next = i + 1 < files.size()
                              ? framesAt(long(show::kTunes[i + 1].startPattern) * show::PATTERN_MS)
                              : end;
        const tracker::Pcm* part = &opening;
        if (i > 0) {
            if (!tracker::render(files[i], RATE, pcm[i], next - start)) {
                std::fprintf(stderr, "make_music: cannot render %s\n", show::kTunes[i].file);
                return false;
            }
            part = &pcm[i];
        }
        parts.push_back({part, start});
    }
    return saveWav(path, tracker::assemble(parts, end, framesAt(FADE_MS)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && !std::strcmp(argv[2], "--wav"))) {
        std::fprintf(stderr, "usage: make_music OUT_DIR [--wav DIR]\n");
        return 2;
    }
    const std::string out = argv[1];
    static_assert(sizeof tracker::tunes::kShowTunes / sizeof tracker::tunes::kShowTunes[0] ==
                      show::TUNE_COUNT,
                  "a tune for each of the show's");
    std::vector<std::vector<uint8_t>> files;
    for (int i = 0; i < show::TUNE_COUNT; ++i) {
        const tracker::tunes::TuneFile& tune = tracker::tunes::kShowTunes[i];
        const tracker::Song song = tune.compose();
        if (std::strcmp(tune.file, show::kTunes[i].file) ||
            int(song.orders.size()) != show::kTunes[i].patterns) {
            std::fprintf(stderr, "make_music: %s is not the tune the show's timing expects\n",
                         tune.file);
            return 1;
        }
        const tracker::Written written = tune.write(song);
        const std::string path = out + "/" + tune.file;
        if (!written.ok()) {
            std::fprintf(stderr, "make_music: cannot write %s: %s\n", tune.file,
                         written.error.c_str());
            return 1;
        }
        if (!save(path, written.bytes)) {
            std::fprintf(stderr, "make_music: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("make_music: %s (%d channels, %d patterns, %zu bytes)\n", path.c_str(),
                    song.channels, int(song.orders.size()), written.bytes.size());
        files.push_back(written.bytes);
    }
    if (argc == 4) {
        const std::string dir = argv[3];
        tracker::Pcm opening;
        if (!tracker::render(files[0], RATE, opening)) {
            std::fprintf(stderr, "make_music: cannot render %s\n", show::kTunes[0].file);
            return 1;
        }
        if (!saveWav(dir + "/music.wav", opening) ||
            !writeSoundtrack(dir + "/soundtrack.wav", files, opening))
            return 1;
    }
    return 0;
}
