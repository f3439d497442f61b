#pragma once
// The frame capture: the demo player with a deterministic clock in place of
// the music, the same loading, events, drawing and effects, writing the back
// buffer as PNG files. The clock starts with the show's first play command,
// as the music would, and the demo advances in 10 ms frames; only the frames
// at the capture times are drawn. The loading screen is written as
// "frame_loading.png".
//
// With stereo the setup's Stereo option is on, windowed: two outputs side
// by side on one adapter, each with its own device and back buffer of the
// asked size; the player draws the left eye into output 0 and the right eye
// into output 1. Each capture time then writes both, each read before its
// own present ("frame_NNNNNN_left.png", "frame_NNNNNN_right.png"); the
// loading screen, shown on output 0 only, is still "frame_loading.png".

#include "capture_options.h"

#include <ostream>

// Returns 0 on success, 1 when the show could not be set up or a frame not
// written. Messages the show raises are printed and do not stop it.
int runCapture(const CaptureOptions& options, std::ostream& out, std::ostream& err);
