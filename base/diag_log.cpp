#include "diag_log.h"

#include <fstream>

namespace {

#ifdef _WIN32
const char* const kNullDevice = "nul";
#else
const char* const kNullDevice = "/dev/null";
#endif

std::ofstream& logFile() {
    static std::ofstream file;
    return file;
}

// Used while neither a file nor a redirect is set: no buffer, so writes vanish.
std::ostream& discard() {
    static std::ostream sink(nullptr);
    return sink;
}

std::ostream* redirectTarget = nullptr;

} // namespace

std::ostream& diagLog() {
    if (redirectTarget) return *redirectTarget;
    std::ofstream& file = logFile();
    if (file.is_open()) return file;
    return discard();
}

void openDiagLog() {
    std::ofstream& file = logFile();
    if (file.is_open()) file.close();
    file.clear();
    file.open(kNullDevice, std::ios::out | std::ios::trunc);
}

void closeDiagLog() {
    std::ofstream& file = logFile();
    if (file.is_open()) file.close();
}

std::ostream* redirectDiagLog(std::ostream* target) {
    std::ostream* previous = redirectTarget;
    redirectTarget = target;
    return previous;
}
