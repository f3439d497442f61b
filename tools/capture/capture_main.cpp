// nightloom-capture: renders the show at chosen times of demo time to PNG files.

#include "capture.h"

#include "base/diag_log.h"

#include <iostream>

int main(int argc, char** argv) {
    openDiagLog();
    CaptureOptions options;
    std::string error;
    if (!parseCaptureOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "nightloom-capture: " << error << "\n"
                  << "usage: nightloom-capture --at T1,T2,... --out DIR [--archive PATH] "
                     "[--size WxH] [--eye-passes | --stereo]\n"
                  << "       nightloom-capture --fps N [--from S] [--to S] --out DIR "
                     "[--archive PATH] [--size WxH] [--eye-passes | --stereo]\n"
                  << "  --stereo: two outputs side by side; each time writes "
                     "frame_NNNNNN_left.png and frame_NNNNNN_right.png\n";
        return 2;
    }
    return runCapture(options, std::cout, std::cerr);
}
