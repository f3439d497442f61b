#include "tracker_mod.h"

#include "tracker_bytes.h"

#include <algorithm>

namespace tracker {

namespace {

struct Command {
    int effect = 0, param = 0;
};

// The effect column of one cell: its effect, or its volume as effect C.
bool command(const Cell& c, Command& out, std::string& why) {
    if (c.volume != VOLUME_NONE) {
        if (c.effect != Effect::None) {
            why = "a volume and an effect in one cell";
            return false;
        }
        out = {mod::FX_VOLUME, c.volume};
        return true;
    }
    const int p = c.param;
    switch (c.effect) {
    case Effect::None:
        out = {0, 0};
        return true;
    case Effect::Arpeggio:
        out = {mod::FX_ARPEGGIO, p};
        return true;
    case Effect::PortaUp:
        out = {mod::FX_PORTA_UP, p};
        return true;
    case Effect::PortaDown:
        out = {mod::FX_PORTA_DOWN, p};
        return true;
    case Effect::TonePorta:
        out = {mod::FX_TONE_PORTA, p};
        return true;
    case Effect::Vibrato:
        out = {mod::FX_VIBRATO, p};
        return true;
    case Effect::VolumeSlide:
        out = {mod::FX_VOLUME_SLIDE, p};
        return true;
    case Effect::SampleOffset:
        out = {mod::FX_SAMPLE_OFFSET, p};
        return true;
    case Effect::PositionJump:
        out = {mod::FX_JUMP, p};
        return true;
    case Effect::PatternBreak:
        // The row is written as two decimal digits.
        if (p > 63) break;
        out = {mod::FX_BREAK, (p / 10) << 4 | p % 10};
        return true;
    case Effect::SetSpeed:
    case Effect::SetTempo:
        out = {mod::FX_SPEED, p};
        return true;
    case Effect::NoteCut:
        out = {mod::FX_EXTENDED, mod::EX_NOTE_CUT << 4 | p};
        return true;
    case Effect::NoteDelay:
        out = {mod::FX_EXTENDED, mod::EX_NOTE_DELAY << 4 | p};
        return true;
    case Effect::Retrigger:
        out = {mod::FX_EXTENDED, mod::EX_RETRIGGER << 4 | p};
        return true;
    case Effect::SetPanning:
        break;
    }
    why = "an effect ProTracker does not have";
    return false;
}

std::string checkSamples(const Song& song) {
    if (song.samples.size() > size_t(mod::SAMPLES)) return "more than 31 samples";
    for (size_t i = 0; i < song.samples.size(); ++i) {
        const Sample& s = song.samples[i];
        const std::string which = "sample " + std::to_string(i + 1) + ": ";
        if (s.data.size() % 2 || s.loopStart % 2 || s.loopLength % 2)
            return which + "odd length or loop (counted in words)";
        if (s.data.size() > size_t(mod::MAX_SAMPLE_BYTES)) return which + "longer than 128 KiB";
        if (s.loopLength > 0 && s.loopLength < 4) return which + "loop shorter than two words";
        if (s.panning != PAN_DEFAULT) return which + "panning (channels are placed by number)";
        if (!s.envelope.points.empty()) return which + "an envelope";
    }
    return "";
}

} // namespace

Written writeMod(const Song& song) {
    std::string why = checkSong(song);
    if (!why.empty()) return refuse(why);
    if (song.channels != mod::CHANNELS) return refuse("not four channels");
    if (song.speed != mod::SPEED || song.tempo != mod::TEMPO)
        return refuse("speed and tempo other than 6 / 125");
    if (song.orders.size() > size_t(mod::ORDERS)) return refuse("more than 128 orders");
    const int stored = *std::max_element(song.orders.begin(), song.orders.end()) + 1;
    if (stored != int(song.patterns.size())) return refuse("a pattern no order plays");
    if (stored > mod::PATTERNS) return refuse("more than 64 patterns");
    why = checkSamples(song);
    if (!why.empty()) return refuse(why);

    Bytes b;
    putText(b, song.name, mod::TITLE_SIZE);
    for (int i = 0; i < mod::SAMPLES; ++i) {
        const Sample* s = i < int(song.samples.size()) ? &song.samples[size_t(i)] : nullptr;
        putText(b, s ? s->name : std::string(), mod::NAME_SIZE);
        put16be(b, s ? int(s->data.size() / 2) : 0);
        put8(b, 0); // finetune
        put8(b, s ? s->volume : 0);
        const bool loop = s && s->loopLength > 0;
        put16be(b, loop ? s->loopStart / 2 : 0);
        put16be(b, loop ? s->loopLength / 2 : 1);
    }
    put8(b, int(song.orders.size()));
    put8(b, mod::RESTART_NONE);
    for (int i = 0; i < mod::ORDERS; ++i)
        put8(b, i < int(song.orders.size()) ? song.orders[size_t(i)] : 0);
    putTag(b, mod::MAGIC);

    for (size_t p = 0; p < song.patterns.size(); ++p) {
        const Pattern& pattern = song.patterns[p];
        if (pattern.rows != mod::ROWS) return refuse("a pattern of other than 64 rows");
        for (int row = 0; row < pattern.rows; ++row)
            for (int ch = 0; ch < pattern.channels; ++ch) {
                const Cell& c = pattern.at(row, ch);
                const std::string at =
                    "pattern " + std::to_string(p) + " row " + std::to_string(row) + ": ";
                if (c.note == NOTE_OFF) return refuse(at + "a note-off");
                if (c.note != NOTE_NONE &&
                    (c.note < mod::FIRST_NOTE || c.note >= mod::FIRST_NOTE + mod::NOTES))
                    return refuse(at + "a note outside ProTracker's three octaves");
                Command fx;
                if (!command(c, fx, why)) return refuse(at + why);
                const int period = c.note == NOTE_NONE ? 0 : mod::PERIODS[c.note - mod::FIRST_NOTE];
                put8(b, (c.instrument & 0xF0) | (period >> 8));
                put8(b, period & 0xFF);
                put8(b, (c.instrument & 0x0F) << 4 | fx.effect);
                put8(b, fx.param);
            }
    }
    for (const Sample& s : song.samples)
        for (int8_t v : s.data) put8(b, uint8_t(v));
    Written w;
    w.bytes = std::move(b);
    return w;
}

} // namespace tracker
