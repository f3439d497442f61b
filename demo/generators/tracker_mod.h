#pragma once
// ProTracker modules ("M.K.", four channels, 31 samples), big-endian:
//   title (20)
//   31 x sample: name (22), length in words (2), finetune (1), volume (1),
//                loop start in words (2), loop length in words (2; 1 = none)
//   song length (1), restart byte (1), 128 orders, "M.K."
//   patterns: 64 rows x 4 channels x 4 bytes
//       sample high nibble | period high 4 bits, period low 8 bits,
//       sample low nibble << 4 | effect, parameter
//   sample data, signed 8-bit, in sample order
// Notes are Amiga periods over three octaves; the volume has no column of
// its own and travels as effect C.

#include "tracker_song.h"

namespace tracker {

namespace mod {
constexpr char MAGIC[] = "M.K.";
constexpr int CHANNELS = 4;
constexpr int ROWS = 64;
constexpr int SAMPLES = 31;
constexpr int ORDERS = 128;
constexpr int PATTERNS = 64;
constexpr int TITLE_SIZE = 20;
constexpr int NAME_SIZE = 22;
constexpr int MAX_SAMPLE_BYTES = 0xFFFF * 2; // a length in 16-bit words
constexpr int RESTART_NONE = 127;            // what ProTracker writes
constexpr int FIRST_NOTE = 48;               // C-1 in ProTracker's naming
constexpr int NOTES = 36;                    // to B-3
constexpr int SPEED = 6, TEMPO = 125;        // implied: the header has neither

// Effect numbers.
constexpr int FX_ARPEGGIO = 0x0, FX_PORTA_UP = 0x1, FX_PORTA_DOWN = 0x2, FX_TONE_PORTA = 0x3,
              FX_VIBRATO = 0x4, FX_SAMPLE_OFFSET = 0x9, FX_VOLUME_SLIDE = 0xA, FX_JUMP = 0xB,
              FX_VOLUME = 0xC, FX_BREAK = 0xD, FX_EXTENDED = 0xE, FX_SPEED = 0xF;
constexpr int EX_RETRIGGER = 0x9, EX_NOTE_CUT = 0xC, EX_NOTE_DELAY = 0xD;

// Amiga periods, C-1 to B-3.
constexpr int PERIODS[NOTES] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};
} // namespace mod

// Refuses what the format cannot hold: other than four channels or 64-row
// patterns, speed and tempo other than 6 / 125 (there is no header for
// them), notes outside 48..83, note-offs, a volume and an effect in one
// cell, panning or envelopes, more than 31 samples, odd sample lengths or
// loops (they are counted in words) or loops shorter than two words,
// patterns no order plays (the file stores as many patterns as the highest
// order needs).
Written writeMod(const Song& song);

} // namespace tracker
