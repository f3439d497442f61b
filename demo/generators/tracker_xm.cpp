#include "tracker_xm.h"

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
        type = xm::FX_ARPEGGIO;
        return true;
    case Effect::PortaUp:
        type = xm::FX_PORTA_UP;
        return true;
    case Effect::PortaDown:
        type = xm::FX_PORTA_DOWN;
        return true;
    case Effect::TonePorta:
        type = xm::FX_TONE_PORTA;
        return true;
    case Effect::Vibrato:
        type = xm::FX_VIBRATO;
        return true;
    case Effect::VolumeSlide:
        type = xm::FX_VOLUME_SLIDE;
        return true;
    case Effect::SetPanning:
        type = xm::FX_PANNING;
        return true;
    case Effect::SampleOffset:
        type = xm::FX_SAMPLE_OFFSET;
        return true;
    case Effect::PositionJump:
        type = xm::FX_JUMP;
        return true;
    case Effect::PatternBreak:
        // Two decimal digits, as in ProTracker.
        if (p > 99) return false;
        type = xm::FX_BREAK;
        param = (p / 10) << 4 | p % 10;
        return true;
    case Effect::SetSpeed:
    case Effect::SetTempo:
        type = xm::FX_SPEED;
        return true;
    case Effect::NoteCut:
        type = xm::FX_EXTENDED;
        param = xm::EX_NOTE_CUT << 4 | p;
        return true;
    case Effect::NoteDelay:
        type = xm::FX_EXTENDED;
        param = xm::EX_NOTE_DELAY << 4 | p;
        return true;
    case Effect::Retrigger:
        type = xm::FX_EXTENDED;
        param = xm::EX_RETRIGGER << 4 | p;
        return true;
    }
    return false;
}

// One cell, packed: a mask byte and the fields it names, or all five bytes
// plain when every field is there (one byte shorter than with the mask).
void putCell(Bytes& b, int note, int instrument, int volume, int type, int param) {
    int mask = xm::PACKED;
    if (note) mask |= xm::HAS_NOTE;
    if (instrument) mask |= xm::HAS_INSTRUMENT;
    if (volume) mask |= xm::HAS_VOLUME;
    if (type) mask |= xm::HAS_EFFECT;
    if (param) mask |= xm::HAS_PARAM;
    if (mask == 0x9F) {
        for (int v : {note, instrument, volume, type, param}) put8(b, v);
        return;
    }
    put8(b, mask);
    if (note) put8(b, note);
    if (instrument) put8(b, instrument);
    if (volume) put8(b, volume);
    if (type) put8(b, type);
    if (param) put8(b, param);
}

bool putPattern(Bytes& b, const Pattern& pattern, int number, std::string& why) {
    Bytes data;
    for (int row = 0; row < pattern.rows; ++row)
        for (int ch = 0; ch < pattern.channels; ++ch) {
            const Cell& c = pattern.at(row, ch);
            const std::string at =
                "pattern " + std::to_string(number) + " row " + std::to_string(row) + ": ";
            int note = 0;
            if (c.note == NOTE_OFF) {
                note = xm::NOTE_KEY_OFF;
            } else if (c.note != NOTE_NONE) {
                if (c.note < xm::FIRST_NOTE || c.note > xm::LAST_NOTE) {
                    why = at + "a note outside FastTracker's eight octaves";
                    return false;
                }
                note = c.note - xm::NOTE_OFFSET;
            }
            int type = 0, param = 0;
            if (!effect(c, type, param)) {
                why = at + "an effect FastTracker cannot write";
                return false;
            }
            const int volume = c.volume == VOLUME_NONE ? 0 : xm::VOLUME_SET + c.volume;
            putCell(data, note, c.instrument, volume, type, param);
        }
    if (data.size() > 0xFFFF) {
        why = "pattern " + std::to_string(number) + " packs to more than 64 KiB";
        return false;
    }
    put32le(b, xm::PATTERN_HEADER_SIZE);
    put8(b, 0); // packing type
    put16le(b, pattern.rows);
    put16le(b, int(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return true;
}

void putInstrument(Bytes& b, const Sample& s) {
    const size_t start = b.size();
    put32le(b, xm::INSTRUMENT_SIZE);
    putText(b, s.name, xm::INSTRUMENT_NAME_SIZE);
    put8(b, 0);    // type
    put16le(b, 1); // samples
    put32le(b, xm::SAMPLE_HEADER_SIZE);
    b.insert(b.end(), 96, 0); // every note plays the one sample
    const Envelope& e = s.envelope;
    for (int i = 0; i < xm::ENVELOPE_POINTS; ++i) {
        const bool used = i < int(e.points.size());
        put16le(b, used ? e.points[size_t(i)].tick : 0);
        put16le(b, used ? e.points[size_t(i)].value : 0);
    }
    b.insert(b.end(), 4 * xm::ENVELOPE_POINTS, 0); // panning envelope
    put8(b, int(e.points.size()));
    put8(b, 0);
    put8(b, e.sustain < 0 ? 0 : e.sustain);
    put8(b, 0);              // loop start
    put8(b, 0);              // loop end
    b.insert(b.end(), 3, 0); // panning sustain and loop
    int flags = 0;
    if (!e.points.empty()) flags |= xm::ENVELOPE_ON;
    if (!e.points.empty() && e.sustain >= 0) flags |= xm::ENVELOPE_SUSTAIN;
    put8(b, flags);
    put8(b, 0);              // panning envelope off
    b.insert(b.end(), 4, 0); // no vibrato
    put16le(b, s.fadeout);
    b.insert(b.end(), start + xm::INSTRUMENT_SIZE - b.size(), 0); // reserved

    const bool loop = s.loopLength > 0;
    put32le(b, uint32_t(s.data.size()));
    put32le(b, uint32_t(loop ? s.loopStart : 0));
    put32le(b, uint32_t(loop ? s.loopLength : 0));
    put8(b, s.volume);
    put8(b, 0); // finetune
    put8(b, loop ? xm::LOOP_FORWARD : 0);
    put8(b, s.panning == PAN_DEFAULT ? xm::PAN_CENTRE : s.panning);
    put8(b, 0); // relative note: C-4 plays at the base rate
    put8(b, 0);
    putText(b, s.name, xm::SAMPLE_NAME_SIZE);

    int8_t last = 0;
    for (int8_t v : s.data) {
        put8(b, uint8_t(v - last));
        last = v;
    }
}

} // namespace

Written writeXm(const Song& song) {
    std::string why = checkSong(song);
    if (!why.empty()) return refuse(why);
    if (song.channels > xm::MAX_CHANNELS) return refuse("more than 32 channels");
    if (song.patterns.size() > size_t(xm::MAX_PATTERNS)) return refuse("more than 256 patterns");
    if (song.orders.size() > size_t(xm::ORDERS)) return refuse("more than 256 orders");
    if (song.samples.size() > size_t(xm::MAX_INSTRUMENTS))
        return refuse("more than 128 instruments");
    for (const Pattern& p : song.patterns)
        if (p.rows > xm::MAX_ROWS) return refuse("a pattern of more than 256 rows");
    for (const Sample& s : song.samples) {
        if (s.envelope.points.size() > size_t(xm::ENVELOPE_POINTS))
            return refuse(s.name + ": an envelope of more than 12 points");
        if (!s.envelope.points.empty() && s.envelope.points.back().tick > 0xFFFF)
            return refuse(s.name + ": an envelope tick past 65535");
    }

    Bytes b;
    putTag(b, xm::MAGIC);
    // The name may fill all its 20 bytes: the 0x1A after it ends it.
    putText(b, song.name, xm::NAME_SIZE + 1);
    b.back() = 0x1A;
    putText(b, "nightloom", xm::NAME_SIZE);
    put16le(b, xm::VERSION);
    put32le(b, xm::HEADER_SIZE);
    put16le(b, int(song.orders.size()));
    put16le(b, 0); // restart
    put16le(b, song.channels);
    put16le(b, int(song.patterns.size()));
    put16le(b, int(song.samples.size()));
    put16le(b, xm::FLAG_LINEAR);
    put16le(b, song.speed);
    put16le(b, song.tempo);
    for (int i = 0; i < xm::ORDERS; ++i)
        put8(b, i < int(song.orders.size()) ? song.orders[size_t(i)] : 0);

    for (size_t p = 0; p < song.patterns.size(); ++p)
        if (!putPattern(b, song.patterns[p], int(p), why)) return refuse(why);
    for (const Sample& s : song.samples) putInstrument(b, s);
    Written w;
    w.bytes = std::move(b);
    return w;
}

} // namespace tracker
