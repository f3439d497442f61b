#pragma once
// The diagnostic log: one text stream for the whole process. The program opens
// it on the null device at start-up, so everything written there is discarded;
// tests and tools point it at a stream of their own to read what was written.
//
// Single-threaded like the rest of the player: write to it from the main thread.

#include <ostream>

// The current log stream. Before openDiagLog() and without a redirect, writes
// go nowhere (the stream has no buffer).
std::ostream& diagLog();

// The environment variable that names a file for the log instead.
constexpr const char* DIAG_LOG_VARIABLE = "NIGHTLOOM_LOG";

// Opens the log file with mode output+truncate: the file that NIGHTLOOM_LOG
// names when it is set and not empty (so that an author can read the used
// files, loader diagnostics and the profiling report of a real run), else the
// null device ("nul" on Windows, /dev/null elsewhere). When the named file
// cannot be opened the log falls back to the null device. Calling it again
// reopens the file.
void openDiagLog();

// The file openDiagLog() opens: `variable`'s value when it is not empty, else
// the null device.
const char* diagLogFileName(const char* variable);

// Closes the log file; later writes are discarded.
void closeDiagLog();

// Sends the log to `target` (not owned) instead of the file, until called again
// with nullptr. Returns the previous target.
std::ostream* redirectDiagLog(std::ostream* target);

// RAII redirect for tests and tools.
class DiagLogRedirect {
public:
    explicit DiagLogRedirect(std::ostream& target) : previous(redirectDiagLog(&target)) {}
    ~DiagLogRedirect() { redirectDiagLog(previous); }
    DiagLogRedirect(const DiagLogRedirect&) = delete;
    DiagLogRedirect& operator=(const DiagLogRedirect&) = delete;

private:
    std::ostream* previous;
};
