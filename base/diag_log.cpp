#include "diag_log.h"

#include <cstdlib>
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

const char* diagLogFileName(const char* variable) {
    return variable && *variable ? variable : kNullDevice;
}

void openDiagLog() {
    std::ofstream& file = logFile();
    if (file.is_open()) file.close();
    file.clear();
    file.open(diagLogFileName(std::getenv(DIAG_LOG_VARIABLE)), std::ios::out | std::ios::trunc);
    if (!file.is_open()) {
        file.clear();
        file.open(kNullDevice, std::ios::out | std::ios::trunc);
    }
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
