#include "tracker_it.h"

#include "tracker_bytes.h"

namespace tracker {

namespace {

bool effect(const Cell& c, int& type, int& param) {
    const int p = c.param;
    param = p;
    switch (c.effect) {
    case Effect::None:
        type = 0;
        return true;
    case Effect::Arpeggio:
        type = it::FX_ARPEGGIO;
        return true;
    case Effect::PortaUp:
        type = it::FX_PORTA_UP;
        return p < it::FINE_SLIDES;
    case Effect::PortaDown:
        type = it::FX_PORTA_DOWN;
        return p < it::FINE_SLIDES;
    case Effect::TonePorta:
        type = it::FX_TONE_PORTA;
        return true;
    case Effect::Vibrato:
        type = it::FX_VIBRATO;
        return true;
    case Effect::VolumeSlide:
        type = it::FX_VOLUME_SLIDE;
        return true;
    case Effect::SetPanning:
        type = it::FX_PANNING;
        return true;
    case Effect::SampleOffset:
        type = it::FX_SAMPLE_OFFSET;
        return true;
    case Effect::PositionJump:
        type = it::FX_JUMP;
        return true;
    case Effect::PatternBreak:
        type = it::FX_BREAK;
        return true;
    case Effect::SetSpeed:
        type = it::FX_SPEED;
        return true;
    case Effect::SetTempo:
        type = it::FX_TEMPO;
        return true;
    case Effect::NoteCut:
        type = it::FX_SPECIAL;
        param = it::SX_NOTE_CUT << 4 | p;
        return p > 0;
    case Effect::NoteDelay:
        type = it::FX_SPECIAL;
        param = it::SX_NOTE_DELAY << 4 | p;
        return p > 0;
    case Effect::Retrigger:
        type = it::FX_RETRIGGER;
        return true; // volume unchanged
    }
    return false;
}

// A channel's packing state within one pattern: its last mask and the last
// value written of each field.
struct Channel {
    int mask = -1;
    int note = -1, instrument = -1, volume = -1, type = -1, param = -1;
};

bool putPattern(Bytes& b, const Pattern& pattern, int number, bool markLastChannel,
                std::string& why) {
    Bytes data;
    std::vector<Channel> state(size_t(pattern.channels));
    for (int row = 0; row < pattern.rows; ++row) {
        for (int ch = 0; ch < pattern.channels; ++ch) {
            const Cell& c = pattern.at(row, ch);
            Channel& s = state[size_t(ch)];
            if (c.empty()) {
                // A reader counts the channels it sees data for; an empty
                // mask for the last one keeps an unused channel counted.
                if (markLastChannel && row == 0 && ch == pattern.channels - 1) {
                    put8(data, (ch + 1) | it::NEW_MASK);
                    put8(data, 0);
                    s.mask = 0;
                }
                continue;
            }
            const std::string at =
                "pattern " + std::to_string(number) + " row " + std::to_string(row) + ": ";
            int type = 0, param = 0;
            if (!effect(c, type, param)) {
                why = at + "an effect Impulse Tracker reads otherwise";
                return false;
            }
            const int note = c.note == NOTE_OFF ? it::NOTE_KEY_OFF : c.note;
            int mask = 0;
            if (c.note != NOTE_NONE) mask |= note == s.note ? it::LAST_NOTE : it::HAS_NOTE;
            if (c.instrument)
                mask |= c.instrument == s.instrument ? it::LAST_INSTRUMENT : it::HAS_INSTRUMENT;
            if (c.volume != VOLUME_NONE)
                mask |= c.volume == s.volume ? it::LAST_VOLUME : it::HAS_VOLUME;
            if (type) mask |= type == s.type && param == s.param ? it::LAST_EFFECT : it::HAS_EFFECT;
            if (mask == s.mask) {
                put8(data, ch + 1);
            } else {
                put8(data, (ch + 1) | it::NEW_MASK);
                put8(data, mask);
                s.mask = mask;
            }
            if (mask & it::HAS_NOTE) put8(data, s.note = note);
            if (mask & it::HAS_INSTRUMENT) put8(data, s.instrument = c.instrument);
            if (mask & it::HAS_VOLUME) put8(data, s.volume = c.volume);
            if (mask & it::HAS_EFFECT) {
                put8(data, s.type = type);
                put8(data, s.param = param);
            }
        }
        put8(data, 0);
    }
    if (data.size() > 0xFFFF) {
        why = "pattern " + std::to_string(number) + " packs to more than 64 KiB";
        return false;
    }
    put16le(b, int(data.size()));
    put16le(b, pattern.rows);
    put32le(b, 0);
    b.insert(b.end(), data.begin(), data.end());
    return true;
}

// The data's offset is left 0, to be set once the data's place is known.
void putSampleHeader(Bytes& b, const Sample& s) {
    const bool loop = s.loopLength > 0;
    putTag(b, it::SAMPLE_MAGIC);
    b.insert(b.end(), it::SAMPLE_FILE_NAME_SIZE + 1, 0);
    put8(b, MAX_VOLUME); // global volume
    put8(b, (s.data.empty() ? 0 : it::SAMPLE_HAS_DATA) | (loop ? it::SAMPLE_LOOP : 0));
    put8(b, s.volume);
    putText(b, s.name, it::NAME_SIZE);
    put8(b, it::CONVERT_SIGNED);
    put8(b, s.panning == PAN_DEFAULT ? it::PAN_CENTRE
                                     : it::USE_PANNING | (s.panning * it::PAN_MAX + 127) / 255);
    put32le(b, uint32_t(s.data.size()));
    put32le(b, uint32_t(loop ? s.loopStart : 0));
    put32le(b, uint32_t(loop ? s.loopStart + s.loopLength : 0));
    put32le(b, BASE_RATE);
    put32le(b, 0); // sustain loop
    put32le(b, 0);
    put32le(b, 0); // data offset
    put32le(b, 0); // vibrato
}

std::string checkLimits(const Song& song) {
    if (song.channels > it::CHANNELS) return "more than 64 channels";
    if (song.samples.size() > size_t(it::MAX_SAMPLES)) return "more than 99 samples";
    if (song.patterns.size() > size_t(it::MAX_PATTERNS)) return "more than 200 patterns";
    if (song.orders.size() > size_t(it::MAX_ORDERS)) return "more than 255 orders";
    for (const Pattern& p : song.patterns)
        if (p.rows < it::MIN_ROWS || p.rows > it::MAX_ROWS)
            return "a pattern of other than 32..200 rows";
    for (const Sample& s : song.samples)
        if (!s.envelope.points.empty() || s.fadeout)
            return s.name + ": an envelope or fade-out needs instruments";
    return "";
}

} // namespace

Written writeIt(const Song& song) {
    std::string why = checkSong(song);
    if (why.empty()) why = checkLimits(song);
    if (!why.empty()) return refuse(why);

    const int orderCount = int(song.orders.size()) + 1;
    const int samples = int(song.samples.size()), patterns = int(song.patterns.size());
    Bytes b;
    putTag(b, it::MAGIC);
    putText(b, song.name, it::NAME_SIZE);
    put8(b, 4);  // a beat
    put8(b, 16); // a bar
    put16le(b, orderCount);
    put16le(b, 0);
    put16le(b, samples);
    put16le(b, patterns);
    put16le(b, it::VERSION);
    put16le(b, it::VERSION);
    put16le(b, it::FLAG_STEREO | it::FLAG_LINEAR);
    put16le(b, 0); // no message
    put8(b, it::GLOBAL_VOLUME);
    put8(b, it::MIX_VOLUME);
    put8(b, song.speed);
    put8(b, song.tempo);
    put8(b, it::SEPARATION);
    put8(b, 0);    // pitch wheel depth
    put16le(b, 0); // message length
    put32le(b, 0); // message offset
    put32le(b, 0);
    for (int ch = 0; ch < it::CHANNELS; ++ch)
        put8(b, ch < song.channels ? it::PAN_CENTRE : it::PAN_CENTRE | it::CHANNEL_DISABLED);
    for (int ch = 0; ch < it::CHANNELS; ++ch) put8(b, MAX_VOLUME);
    for (int order : song.orders) put8(b, order);
    put8(b, it::ORDER_END);

    // Offsets are known once the headers before them are laid out: the
    // sample headers, then the patterns, then the sample data.
    const size_t offsets = b.size();
    b.insert(b.end(), size_t(4 * (samples + patterns)), 0);
    std::vector<size_t> headerAt;
    for (int i = 0; i < samples; ++i) {
        set32le(b, offsets + size_t(4 * i), uint32_t(b.size()));
        headerAt.push_back(b.size());
        putSampleHeader(b, song.samples[size_t(i)]);
    }
    for (int p = 0; p < patterns; ++p) {
        set32le(b, offsets + size_t(4 * (samples + p)), uint32_t(b.size()));
        if (!putPattern(b, song.patterns[size_t(p)], p, p == 0, why)) return refuse(why);
    }
    for (int i = 0; i < samples; ++i) {
        const Sample& s = song.samples[size_t(i)];
        set32le(b, headerAt[size_t(i)] + it::SAMPLE_DATA_OFFSET, uint32_t(b.size()));
        for (int8_t v : s.data) put8(b, uint8_t(v));
    }
    Written w;
    w.bytes = std::move(b);
    return w;
}

} // namespace tracker
