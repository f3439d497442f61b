#pragma once
// The author's overlay font: a fixed-width bitmap font of our own for the
// printable ASCII characters 32..126, one 8 x 12 cell each. The capitals and
// digits stand 7 rows tall on row 8 of the cell, descenders reach row 10, and
// the glyphs leave the first and last column free, so lines and columns of
// cells set side by side need no extra spacing. Zero is slashed, unlike O;
// one has a flag and a foot, unlike l and I.

#include <cstdint>

constexpr int FONT_CELL_WIDTH = 8;
constexpr int FONT_CELL_HEIGHT = 12;
constexpr int FONT_FIRST = 32; // the space
constexpr int FONT_LAST = 126; // "~"
constexpr int FONT_GLYPHS = FONT_LAST - FONT_FIRST + 1;

// Row `row` (0 at the top, 0..FONT_CELL_HEIGHT-1) of the glyph of `c`, bit 7
// the leftmost column. Characters outside 32..126 have the glyph of "?".
uint8_t fontRow(unsigned char c, int row);
