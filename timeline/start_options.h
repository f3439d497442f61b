#pragma once
// The player's command line, for authors (a plain start needs none):
//   --start T   start the show at demo time T instead of 0. T is seconds
//               ("83.04"), or, when it has a ":", the script's time syntax
//               ("1:23.040": minutes, seconds and milliseconds).
//   --loose     read loose files beside the program before the archive's.

#include <string>
#include <vector>

struct StartOptions {
    bool haveStart = false;
    double startSeconds = 0;
    bool looseFirst = false;
};

// False with a message in `error` when the line is not usable.
bool parseStartOptions(const std::vector<std::string>& args, StartOptions& out,
                       std::string& error);

// A start time: seconds, or the script's syntax when it holds a ":".
// False for anything else (signs, letters, an empty text).
bool parseStartTime(const std::string& text, double& seconds);
