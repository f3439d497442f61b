#pragma once
// A tracker song as the show's generators compose it, independent of the
// file format that stores it: 8-bit samples (with loop, volume, panning and,
// where the format keeps one, a volume envelope), patterns of rows x
// channels of cells, and the order in which the patterns play. The writers
// (tracker_mod.h, tracker_xm.h, tracker_it.h) turn one into the bytes of a
// ProTracker, FastTracker II or Impulse Tracker module, or say why they
// cannot.
//
// Notes count semitones from C-0: note 60 (C-5) plays a sample at its base
// rate, BASE_RATE samples a second, in every format. That is libxmp's
// numbering too (its event notes are ours plus one).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tracker {

constexpr int BASE_RATE = 8363; // Hz, a sample's rate at note 60
constexpr int BASE_NOTE = 60;
constexpr int NOTE_COUNT = 120; // C-0 to B-9
constexpr int NOTE_NONE = -1;
constexpr int NOTE_OFF = -2; // releases the note (envelope sustain, fade-out)
constexpr int VOLUME_NONE = -1;
constexpr int MAX_VOLUME = 64;
constexpr int PAN_DEFAULT = -1; // the format's own placement
constexpr int MAX_ENVELOPE_VALUE = 64;

// Effects by what they do; each writer maps them to its format's letters.
// Parameters are 0..255 and written as given, except where a format encodes
// one differently (a pattern break's row), which its writer converts. Some
// still sound different from format to format: MOD slides over Amiga
// periods where XM and IT slide linearly, IT's vibrato is half as deep as
// the others', and a zero parameter repeats the last one in XM and IT but
// does nothing in MOD.
enum class Effect : uint8_t {
    None,
    Arpeggio,     // xy: the note, +x, +y semitones in turn each tick
    PortaUp,      // slide the pitch up by param a tick
    PortaDown,    // slide the pitch down by param a tick
    TonePorta,    // slide towards the cell's note by param a tick
    Vibrato,      // xy: speed x, depth y
    VolumeSlide,  // xy: up by x or down by y a tick (one of them 0)
    SetPanning,   // 0 (left)..255 (right)
    SampleOffset, // start the sample at param x 256
    PositionJump, // go to order param after this row
    PatternBreak, // go to row param of the next order
    SetSpeed,     // 1..31 ticks a row
    SetTempo,     // 32..255 beats a minute (a tick is 2.5 / tempo s)
    NoteCut,      // silence the note after param ticks (0..15)
    NoteDelay,    // start the cell's note after param ticks (0..15)
    Retrigger,    // restart the sample every param ticks (1..15)
};

struct EnvelopePoint {
    int tick;  // since the note started, increasing from 0
    int value; // 0..64
};

// A volume envelope: the note's volume follows the points; with a sustain
// point it holds there until the note is released.
struct Envelope {
    std::vector<EnvelopePoint> points; // empty: no envelope
    int sustain = -1;                  // index into points, -1: none
};

struct Sample {
    std::string name;
    std::vector<int8_t> data;
    int volume = MAX_VOLUME;           // 0..64
    int loopStart = 0, loopLength = 0; // in samples; a length of 0: no loop
    int panning = PAN_DEFAULT;         // 0..255, or PAN_DEFAULT
    Envelope envelope;
    int fadeout = 0; // volume lost a tick after release, 0..4095 (of 32768)
};

struct Cell {
    int note = NOTE_NONE;     // 0..119, NOTE_NONE or NOTE_OFF
    int instrument = 0;       // 1-based sample number, 0: none
    int volume = VOLUME_NONE; // 0..64
    Effect effect = Effect::None;
    int param = 0; // 0..255

    bool empty() const {
        return note == NOTE_NONE && instrument == 0 && volume == VOLUME_NONE &&
               effect == Effect::None;
    }
};

struct Pattern {
    int rows = 0, channels = 0;
    std::vector<Cell> cells; // row-major: rows x channels

    Pattern() = default;
    Pattern(int rows_, int channels_)
        : rows(rows_), channels(channels_), cells(size_t(rows_ * channels_)) {}
    Cell& at(int row, int channel) { return cells[size_t(row * channels + channel)]; }
    const Cell& at(int row, int channel) const { return cells[size_t(row * channels + channel)]; }
};

struct Song {
    std::string name;
    int channels = 4;
    int speed = 6;   // ticks a row
    int tempo = 125; // beats a minute
    std::vector<Sample> samples;
    std::vector<Pattern> patterns;
    std::vector<int> orders; // pattern numbers, in playing order
};

// What every format asks of a song: patterns of the song's channel count,
// orders naming patterns that exist, cells within their ranges, instruments
// that exist, loops inside their samples, envelopes that start at tick 0 and
// go forward. Returns why not, or an empty string.
std::string checkSong(const Song& song);

// Whether any sample has a volume envelope.
bool usesEnvelopes(const Song& song);

// The result of writing a song: the file's bytes, or why it cannot be
// written in that format (and no bytes).
struct Written {
    std::vector<uint8_t> bytes;
    std::string error;
    bool ok() const { return error.empty(); }
};

inline Written refuse(std::string why) {
    Written w;
    w.error = std::move(why);
    return w;
}

} // namespace tracker
