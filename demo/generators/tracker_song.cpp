#include "tracker_song.h"

namespace tracker {

namespace {

std::string where(int pattern, int row, int channel) {
    return "pattern " + std::to_string(pattern) + " row " + std::to_string(row) + " channel " +
           std::to_string(channel);
}

// The parameter ranges in which an effect means the same in every format.
std::string checkEffect(Effect effect, int param) {
    if (param < 0 || param > 255) return "an effect parameter outside 0..255";
    switch (effect) {
    case Effect::Arpeggio:
        if (param == 0) return "an arpeggio of no steps";
        break;
    case Effect::VolumeSlide:
        if ((param >> 4) && (param & 0xF)) return "a volume slide both up and down";
        break;
    case Effect::SetSpeed:
        if (param < 1 || param > 31) return "a speed outside 1..31";
        break;
    case Effect::SetTempo:
        if (param < 32) return "a tempo below 32";
        break;
    case Effect::NoteCut:
    case Effect::NoteDelay:
        if (param > 15) return "a note cut or delay past 15 ticks";
        break;
    case Effect::Retrigger:
        if (param < 1 || param > 15) return "a retrigger interval outside 1..15";
        break;
    default:
        break;
    }
    return "";
}

std::string checkSample(const Sample& s, int number) {
    const std::string which = "sample " + std::to_string(number);
    if (s.volume < 0 || s.volume > MAX_VOLUME) return which + ": volume outside 0..64";
    if (s.loopLength < 0 || s.loopStart < 0 ||
        (s.loopLength > 0 && size_t(s.loopStart + s.loopLength) > s.data.size()))
        return which + ": loop outside the sample";
    if (s.panning != PAN_DEFAULT && (s.panning < 0 || s.panning > 255))
        return which + ": panning outside 0..255";
    if (s.fadeout < 0 || s.fadeout > 4095) return which + ": fade-out outside 0..4095";
    const Envelope& e = s.envelope;
    for (size_t i = 0; i < e.points.size(); ++i) {
        const EnvelopePoint& p = e.points[i];
        if (p.value < 0 || p.value > MAX_ENVELOPE_VALUE)
            return which + ": envelope value outside 0..64";
        if (i == 0 ? p.tick != 0 : p.tick <= e.points[i - 1].tick)
            return which + ": envelope ticks must start at 0 and increase";
    }
    if (e.sustain < -1 || e.sustain >= int(e.points.size()))
        return which + ": envelope sustain is not one of its points";
    return "";
}

} // namespace

std::string checkSong(const Song& song) {
    if (song.channels < 1) return "a song needs a channel";
    if (song.speed < 1 || song.speed > 31) return "speed outside 1..31";
    if (song.tempo < 32 || song.tempo > 255) return "tempo outside 32..255";
    if (song.orders.empty()) return "a song needs an order";
    for (int order : song.orders)
        if (order < 0 || order >= int(song.patterns.size()))
            return "order names pattern " + std::to_string(order) + ", which does not exist";
    for (size_t i = 0; i < song.samples.size(); ++i) {
        const std::string why = checkSample(song.samples[i], int(i) + 1);
        if (!why.empty()) return why;
    }
    for (size_t p = 0; p < song.patterns.size(); ++p) {
        const Pattern& pattern = song.patterns[p];
        if (pattern.channels != song.channels || pattern.rows < 1 ||
            pattern.cells.size() != size_t(pattern.rows * pattern.channels))
            return "pattern " + std::to_string(p) + " is not rows x the song's channels";
        for (int row = 0; row < pattern.rows; ++row)
            for (int ch = 0; ch < pattern.channels; ++ch) {
                const Cell& c = pattern.at(row, ch);
                const std::string at = where(int(p), row, ch);
                if (c.note != NOTE_NONE && c.note != NOTE_OFF &&
                    (c.note < 0 || c.note >= NOTE_COUNT))
                    return at + ": note outside C-0..B-9";
                if (c.instrument < 0 || c.instrument > int(song.samples.size()))
                    return at + ": no sample " + std::to_string(c.instrument);
                if (c.volume != VOLUME_NONE && (c.volume < 0 || c.volume > MAX_VOLUME))
                    return at + ": volume outside 0..64";
                if (c.effect == Effect::None && c.param != 0)
                    return at + ": a parameter without an effect";
                const std::string why = checkEffect(c.effect, c.param);
                if (!why.empty()) return at + ": " + why;
            }
    }
    return "";
}

bool usesEnvelopes(const Song& song) {
    for (const Sample& s : song.samples)
        if (!s.envelope.points.empty()) return true;
    return false;
}

} // namespace tracker
