#pragma once
// Starting the programs under test: their paths as Wine sees them, and
// startInFolder, which starts a program in its own folder, as a person
// starting it from there would. Wine now and then refuses a start with an internal error while its
// server is busy with another prefix; a second try a moment later starts.

#include <windows.h>

#include <string>

// A Unix path as Wine's programs see it (through drive Z:); others as given.
inline std::string windowsPath(const char* arg) {
    std::string path(arg);
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

inline bool startInFolder(const std::string& program, std::string commandLine,
                          PROCESS_INFORMATION& pi) {
    const std::string folder = program.substr(0, program.find_last_of("\\/") + 1);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    pi = {};
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) Sleep(1000);
        started = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                 nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi);
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
    }
    return started != FALSE;
}
