#pragma once
// The frame capture: the demo player with a deterministic clock in place of
// the music, the same loading, events, drawing and effects, writing the back
// buffer as PNG files. The clock starts with the show's first play command,
// as the music would, and the demo advances in 10 ms frames; only the frames
// at the capture times are drawn. The loading screen is written as
// "frame_loading.png".

#include "capture_options.h"

#include <ostream>

// Returns 0 on success, 1 when the show could not be set up or a frame not
// written. Messages the show raises are printed and do not stop it.
int runCapture(const CaptureOptions& options, std::ostream& out, std::ostream& err);
