#pragma once
// FastTracker II modules, version 0x0104, little-endian:
//   "Extended Module: ", name (20), 0x1A, tracker name (20), version (2)
//   header size (4, counted from its own offset: 276), song length (2),
//   restart (2), channels (2), patterns (2), instruments (2), flags (2;
//   bit 0: linear frequencies), speed (2), tempo (2), 256 orders
//   patterns: header length (4) = 9, packing (1) = 0, rows (2), data size
//       (2), then per cell either five bytes (note, instrument, volume
//       column, effect, parameter) or a byte with bit 7 set whose bits 0-4
//       say which of the five follow
//   instruments: size (4) = 263 with its sample, name (22), type (1),
//       samples (2), sample header size (4) = 40, note-to-sample map (96),
//       12 volume and 12 panning envelope points (tick, value: 2 + 2 each),
//       point counts (2), volume sustain / loop start / loop end (3),
//       panning's (3), envelope flags (2; bit 0 on, bit 1 sustain),
//       vibrato (4), fade-out (2), reserved (22); then each sample's header:
//       length, loop start, loop length (4 each, bytes), volume, finetune,
//       type (bit 0: forward loop), panning, relative note, reserved (1
//       each), name (22); then each sample's data, each byte stored as the
//       difference from the one before.
// Notes are 1..96 for C-0..B-7 of FastTracker's naming, which plays a
// sample at its base rate at C-4 (49): note n is our n + 12 - 1.

#include "tracker_song.h"

namespace tracker {

namespace xm {
constexpr char MAGIC[] = "Extended Module: ";
constexpr int VERSION = 0x0104;
constexpr int HEADER_SIZE = 276;
constexpr int NAME_SIZE = 20;
constexpr int ORDERS = 256;
constexpr int MAX_CHANNELS = 32;
constexpr int MAX_PATTERNS = 256;
constexpr int MAX_ROWS = 256;
constexpr int MAX_INSTRUMENTS = 128;
constexpr int FLAG_LINEAR = 1;
constexpr int PATTERN_HEADER_SIZE = 9;
constexpr int INSTRUMENT_SIZE = 263;
constexpr int INSTRUMENT_NAME_SIZE = 22;
constexpr int SAMPLE_HEADER_SIZE = 40;
constexpr int SAMPLE_NAME_SIZE = 22;
constexpr int ENVELOPE_POINTS = 12;
constexpr int ENVELOPE_ON = 1, ENVELOPE_SUSTAIN = 2;
constexpr int LOOP_FORWARD = 1;
constexpr int PAN_CENTRE = 128;
constexpr int NOTE_KEY_OFF = 97;
constexpr int NOTE_OFFSET = 12 - 1;             // ours to theirs: subtract this
constexpr int FIRST_NOTE = 12, LAST_NOTE = 107; // ours
constexpr int VOLUME_SET = 0x10;                // volume column: 0x10 + volume
constexpr int PACKED = 0x80, HAS_NOTE = 1, HAS_INSTRUMENT = 2, HAS_VOLUME = 4, HAS_EFFECT = 8,
              HAS_PARAM = 16;

// Effect numbers (as ProTracker's, plus panning).
constexpr int FX_ARPEGGIO = 0x0, FX_PORTA_UP = 0x1, FX_PORTA_DOWN = 0x2, FX_TONE_PORTA = 0x3,
              FX_VIBRATO = 0x4, FX_PANNING = 0x8, FX_SAMPLE_OFFSET = 0x9, FX_VOLUME_SLIDE = 0xA,
              FX_JUMP = 0xB, FX_BREAK = 0xD, FX_EXTENDED = 0xE, FX_SPEED = 0xF;
constexpr int EX_RETRIGGER = 0x9, EX_NOTE_CUT = 0xC, EX_NOTE_DELAY = 0xD;
} // namespace xm

// Each sample becomes an instrument of that one sample, with its volume
// envelope and fade-out. Refuses what the format cannot hold: more than 32
// channels, 256 patterns or orders, 256 rows or 128 instruments, notes
// outside 12..107, envelopes of more than 12 points or ticks past 65535.
Written writeXm(const Song& song);

} // namespace tracker
