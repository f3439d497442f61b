#pragma once
// Impulse Tracker modules, little-endian, in sample mode (no instruments):
//   header (192): "IMPM", name (26), row highlight (2), order count (2),
//       instrument count (2) = 0, sample count (2), pattern count (2),
//       made with / compatible with versions (2 + 2), flags (2; bit 0
//       stereo, bit 2 instruments, bit 3 linear slides), special (2),
//       global volume (1, 0..128), mix volume (1), speed (1), tempo (1),
//       separation (1), pitch wheel depth (1), message length (2),
//       message offset (4), reserved (4), 64 channel pannings (0..64, +128
//       disabled), 64 channel volumes (0..64)
//   orders (order count bytes, the last 255 = end), then the file offsets
//   of the samples' and the patterns' headers (4 each)
//   samples (80): "IMPS", file name (12), 0, global volume, flags (bit 0
//       data present, bit 4 loop), volume, name (26), convert (bit 0
//       signed), default panning (0..64, bit 7 = use it), length, loop
//       start, loop end, C-5 speed, sustain loop start and end, data offset
//       (4 each; lengths in samples), vibrato (4)
//   patterns: packed length (2), rows (2), reserved (4), then per row, for
//       each channel with something: the channel + 1 (bit 7: a new mask
//       follows), the mask if new, the fields it names; a 0 ends the row.
//       Mask bits 0-3: note, instrument, volume column, effect and
//       parameter follow; bits 4-7: use the channel's last written value of
//       that field instead. Both the masks and the last values start afresh
//       in each pattern.
// Notes are 0..119 as ours (C-5 plays at the sample's C-5 speed); 255 is a
// note-off. Effects are letters, A = 1.

#include "tracker_song.h"

#include <cstddef>

namespace tracker {

namespace it {
constexpr char MAGIC[] = "IMPM";
constexpr char SAMPLE_MAGIC[] = "IMPS";
constexpr int HEADER_SIZE = 192;
constexpr int SAMPLE_HEADER_SIZE = 80;
constexpr size_t SAMPLE_DATA_OFFSET = 0x48; // in a sample header: where its data is
constexpr int PATTERN_HEADER_SIZE = 8;
constexpr int NAME_SIZE = 26;
constexpr int SAMPLE_FILE_NAME_SIZE = 12;
constexpr int CHANNELS = 64;
constexpr int MAX_SAMPLES = 99;
constexpr int MAX_PATTERNS = 200;
constexpr int MAX_ORDERS = 255; // plus the end marker
constexpr int MIN_ROWS = 32, MAX_ROWS = 200;
constexpr int VERSION = 0x0214;
constexpr int FLAG_STEREO = 1, FLAG_INSTRUMENTS = 4, FLAG_LINEAR = 8;
constexpr int GLOBAL_VOLUME = 128, MIX_VOLUME = 48, SEPARATION = 128;
constexpr int PAN_CENTRE = 32, PAN_MAX = 64, CHANNEL_DISABLED = 128;
constexpr int SAMPLE_HAS_DATA = 1, SAMPLE_LOOP = 16;
constexpr int CONVERT_SIGNED = 1;
constexpr int USE_PANNING = 128;
constexpr int ORDER_END = 255;
constexpr int NOTE_KEY_OFF = 255;
constexpr int NEW_MASK = 0x80;
constexpr int HAS_NOTE = 1, HAS_INSTRUMENT = 2, HAS_VOLUME = 4, HAS_EFFECT = 8;
constexpr int LAST_NOTE = 16, LAST_INSTRUMENT = 32, LAST_VOLUME = 64, LAST_EFFECT = 128;

// Effect letters.
constexpr int FX_SPEED = 'A' - '@', FX_JUMP = 'B' - '@', FX_BREAK = 'C' - '@',
              FX_VOLUME_SLIDE = 'D' - '@', FX_PORTA_DOWN = 'E' - '@', FX_PORTA_UP = 'F' - '@',
              FX_TONE_PORTA = 'G' - '@', FX_VIBRATO = 'H' - '@', FX_ARPEGGIO = 'J' - '@',
              FX_SAMPLE_OFFSET = 'O' - '@', FX_RETRIGGER = 'Q' - '@', FX_SPECIAL = 'S' - '@',
              FX_TEMPO = 'T' - '@', FX_PANNING = 'X' - '@';
constexpr int SX_NOTE_CUT = 0xC, SX_NOTE_DELAY = 0xD;
constexpr int FINE_SLIDES = 0xE0; // porta parameters from here are fine slides
} // namespace it

// Refuses what the format cannot hold (or holds only with instruments):
// more than 64 channels, 99 samples, 200 patterns or 255 orders, patterns
// outside 32..200 rows, envelopes or fade-outs, pitch slides of 0xE0 or
// more (Impulse Tracker reads those as fine slides), note cuts and delays
// of 0 ticks (it reads those as 1).
Written writeIt(const Song& song);

} // namespace tracker
