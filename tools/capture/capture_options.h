#pragma once
// The frame capture's command line:
//   nightloom-capture --at T1,T2,... [--from S] --out DIR [--archive PATH] [--size WxH]
//                     [--eye-passes | --stereo]
//   nightloom-capture --fps N [--from S] [--to S] --out DIR [--archive PATH] [--size WxH]
//                     [--eye-passes | --stereo]
// Times are seconds of demo time. --from starts the show there the way the
// player's --start does (the events before it at once, the music moved
// there) instead of playing every frame up to it; it also takes the
// script's time syntax (m:ss.mmm).

#include <string>
#include <vector>

struct CaptureOptions {
    std::vector<int> timesMs; // --at, ascending
    double fps = 0;           // --fps
    double from = 0, to = -1; // seconds; to < 0: the time of the last event
    std::string outDir;
    std::string archive; // empty: moonwell.sar in the working folder
    int width = 800, height = 600;
    bool eyePasses = false; // --eye-passes: never one pass for both eyes
    // --stereo: two outputs side by side, one per eye, each of the size;
    // two outputs always draw both eye passes, so --eye-passes is refused.
    bool stereo = false;
};

// False with a message in `error` when the line is not usable.
bool parseCaptureOptions(const std::vector<std::string>& args, CaptureOptions& out,
                         std::string& error);

// The capture times in milliseconds: the --at list, or every 1/fps from
// `from` to `to` (`lastEventMs` when no --to was given).
std::vector<int> captureTimes(const CaptureOptions& options, int lastEventMs);

// Where the show starts, in ms of demo time (0 without --from).
int startMilliseconds(const CaptureOptions& options);

// "DIR/frame_001500.png" for 1500 ms.
std::string frameFileName(const std::string& dir, int ms);

// A stereo capture's picture of one eye (0 left, output 0; 1 right, output 1):
// "DIR/frame_001500_left.png", "DIR/frame_001500_right.png".
std::string eyeFrameFileName(const std::string& dir, int ms, int eye);
