// Writes the show's event script, timed to the music's beat (125 BPM: a beat
// every 0.48 s, a bar every 1.92 s, a pattern every 7.68 s; 61.44 s in all):
// the music starts, the screen fades in from night blue, flashes fall on the
// bars and then on every beat in changing colours, colour fades mark each
// pattern, and the show fades to black and ends itself.
//
//   make_script OUT.scr "MUSIC COMMAND"     (for example "playmp3 music.mp3")

#include <cstdio>
#include <string>

namespace {

constexpr int BEAT_MS = 480;
constexpr int BAR_MS = 4 * BEAT_MS;
constexpr int PATTERN_MS = 4 * BAR_MS;

const unsigned kColours[] = {0xffffffffu, 0xff60a0ffu, 0xffff9040u,
                             0xffc060ffu, 0xff40ffc0u, 0xffffe060u};

void line(FILE* f, int ms, const std::string& command) {
    std::fprintf(f, "%d.%03d %s\n", ms / 1000, ms % 1000, command.c_str());
}

std::string colour(unsigned c) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", c);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_script OUT.scr \"MUSIC COMMAND\"\n");
        return 2;
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    std::fprintf(f, "; Nightloom's bundled show. Made by demo/generators/make_script.cpp:\n"
                    "; edit the generator, not this file.\n");
    line(f, 0, argv[2]);
    line(f, 0, "fadein 3.84 " + colour(0xff102050u));
    // Pattern 1: a white flash on every bar.
    for (int t = PATTERN_MS; t < 2 * PATTERN_MS; t += BAR_MS) line(f, t, "flash 0.48 0xffffffff");
    // Pattern 2: every other beat, alternating blue and orange.
    for (int t = 2 * PATTERN_MS, i = 0; t < 3 * PATTERN_MS; t += 2 * BEAT_MS, ++i)
        line(f, t, "flash 0.36 " + colour(kColours[1 + i % 2]));
    // Patterns 3 to 6: a colour fade at each pattern, a flash on every beat.
    for (int p = 3; p <= 6; ++p) {
        const int start = p * PATTERN_MS;
        for (int t = start, i = 0; t < start + PATTERN_MS; t += BEAT_MS, ++i) {
            if (i % 16 == 0)
                line(f, t, "fadein 1.92 " + colour(kColours[(p + i / 16) % 6]));
            else
                line(f, t, "flash 0.24 " + colour(kColours[(p + i) % 6]));
        }
    }
    // Pattern 7: the last flashes, then the fade to black and the end.
    const int last = 7 * PATTERN_MS;
    for (int t = last; t < last + BAR_MS; t += BEAT_MS) line(f, t, "flash 0.24 0xffffffff");
    line(f, last + BAR_MS, "fadeout 3.84 0xff000000");
    line(f, 8 * PATTERN_MS + 60, "stopdemo");
    return std::fclose(f) == 0 ? 0 : 1;
}
