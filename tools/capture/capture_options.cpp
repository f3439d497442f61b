#include "capture_options.h"

#include "timeline/start_options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

bool number(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == 0 && std::isfinite(out);
}

} // namespace

bool parseCaptureOptions(const std::vector<std::string>& args, CaptureOptions& o,
                         std::string& error) {
    bool haveAt = false, haveTo = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? args[i + 1] : "";
        double x = 0;
        if ((a == "--at" || a == "--fps" || a == "--from" || a == "--to" || a == "--out" ||
             a == "--archive" || a == "--size") &&
            !hasValue) {
            error = a + " needs a value";
            return false;
        }
        if (a == "--eye-passes") {
            o.eyePasses = true;
            continue;
        }
        if (a == "--stereo") {
            o.stereo = true;
            continue;
        }
        if (a == "--at") {
            haveAt = true;
            std::stringstream list(value);
            std::string item;
            while (std::getline(list, item, ',')) {
                if (!number(item, x) || x < 0) {
                    error = "--at: \"" + item + "\" is not a time in seconds";
                    return false;
                }
                o.timesMs.push_back(int(std::lround(x * 1000)));
            }
            ++i;
        } else if (a == "--fps") {
            if (!number(value, o.fps) || o.fps <= 0) {
                error = "--fps: \"" + value + "\" is not a positive rate";
                return false;
            }
            ++i;
        } else if (a == "--from") {
            // As the player's --start: seconds, or the script's time syntax.
            if (!parseStartTime(value, o.from)) {
                error = "--from: \"" + value + "\" is not a time (seconds, or m:ss.mmm)";
                return false;
            }
            ++i;
        } else if (a == "--to") {
            if (!number(value, x) || x < 0) {
                error = a + ": \"" + value + "\" is not a time in seconds";
                return false;
            }
            o.to = x;
            haveTo = true;
            ++i;
        } else if (a == "--out") {
            o.outDir = value;
            ++i;
        } else if (a == "--archive") {
            o.archive = value;
            ++i;
        } else if (a == "--size") {
            int w = 0, h = 0;
            char tail = 0;
            if (std::sscanf(value.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 16 || h < 16 ||
                w > 4096 || h > 4096) {
                error = "--size: \"" + value + "\" is not WIDTHxHEIGHT";
                return false;
            }
            o.width = w;
            o.height = h;
            ++i;
        } else {
            error = "unknown argument \"" + a + "\"";
            return false;
        }
    }
    if (haveAt == (o.fps > 0)) {
        error = "give either --at or --fps";
        return false;
    }
    if (o.outDir.empty()) {
        error = "--out DIR is required";
        return false;
    }
    if (o.stereo && o.eyePasses) {
        error = "--eye-passes and --stereo together: two outputs always draw both eye passes";
        return false;
    }
    if (haveTo && o.to < o.from) {
        error = "--to lies before --from";
        return false;
    }
    std::sort(o.timesMs.begin(), o.timesMs.end());
    if (!o.timesMs.empty() && o.timesMs.front() < startMilliseconds(o)) {
        error = "--at: a time lies before --from";
        return false;
    }
    o.timesMs.erase(std::unique(o.timesMs.begin(), o.timesMs.end()), o.timesMs.end());
    return true;
}

std::vector<int> captureTimes(const CaptureOptions& o, int lastEventMs) {
    if (o.fps <= 0) return o.timesMs;
    std::vector<int> times;
    const double to = o.to >= 0 ? o.to : lastEventMs / 1000.0;
    for (long k = 0;; ++k) {
        const double t = o.from + double(k) / o.fps;
        if (t > to + 1e-9 || k > 1000000) break;
        times.push_back(int(std::lround(t * 1000)));
    }
    return times;
}

std::string frameFileName(const std::string& dir, int ms) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", ms);
    return dir + "/" + name;
}

std::string eyeFrameFileName(const std::string& dir, int ms, int eye) {
    char name[40];
    std::snprintf(name, sizeof name, "frame_%06d_%s.png", ms, eye == 0 ? "left" : "right");
    return dir + "/" + name;
}

int startMilliseconds(const CaptureOptions& o) {
    return int(std::lround(o.from * 1000));
}
