// Runs a program unattended and fails instead of waiting when it shows a
// message box or outlives its time:
//
//   nlrun [--quit-after MS] TIMEOUT_MS PROGRAM [ARGS...]
//
// With --quit-after, once MS have passed the program's "Render Output" window
// must exist and its thread is sent the quit message, as when a person closes
// the show; the program must then end by itself.
//
// Exit code: the program's own when it ends by itself, 3 when it raised a
// message box (its caption and text are printed, the program is ended),
// 4 on timeout, 5 when it cannot be started, 6 when there was no "Render
// Output" window to quit. Unix paths are accepted for
// PROGRAM (they are reached through Wine's Z: drive).

#include <windows.h>

#include "start_in_folder.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findMessageBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId || !IsWindowVisible(window)) return TRUE;
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    // Message boxes are dialogs of the system class "#32770".
    if (std::string(cls) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK findRenderOutput(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    if (pid == search->processId && std::string(title) == "Render Output") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collectText(HWND child, LPARAM param) {
    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) {
        char text[1024] = {};
        GetWindowTextA(child, text, sizeof text);
        if (text[0]) {
            auto* out = reinterpret_cast<std::string*>(param);
            if (!out->empty()) *out += " ";
            *out += text;
        }
    }
    return TRUE;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

} // namespace

int main(int argc, char** argv) {
    DWORD quitAfter = 0;
    if (argc >= 3 && std::string(argv[1]) == "--quit-after") {
        quitAfter = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
        argv += 2;
        argc -= 2;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: nlrun [--quit-after MS] TIMEOUT_MS PROGRAM [ARGS...]\n");
        return 2;
    }
    DWORD timeout = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    std::string program = windowsPath(argv[2]);
    std::string commandLine = quoted(program);
    for (int i = 3; i < argc; ++i) commandLine += " " + quoted(argv[i]);

    PROCESS_INFORMATION pi;
    const bool started = startInFolder(program, commandLine, pi);
    if (!started) {
        std::fprintf(stderr, "nlrun: cannot start %s (error %lu)\n", program.c_str(),
                     GetLastError());
        return 5;
    }
    DWORD start = GetTickCount();
    int result = 0;
    bool quitSent = false;
    for (;;) {
        if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            result = static_cast<int>(code);
            std::printf("nlrun: %s exited with %d\n", program.c_str(), result);
            break;
        }
        Search search = {pi.dwProcessId, nullptr};
        EnumWindows(findMessageBox, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            char caption[256] = {};
            GetWindowTextA(search.found, caption, sizeof caption);
            std::string text;
            EnumChildWindows(search.found, collectText, reinterpret_cast<LPARAM>(&text));
            std::printf("nlrun: message box: [%s] %s\n", caption, text.c_str());
            TerminateProcess(pi.hProcess, 3);
            WaitForSingleObject(pi.hProcess, 5000);
            result = 3;
            break;
        }
        if (quitAfter && !quitSent && GetTickCount() - start > quitAfter) {
            Search output = {pi.dwProcessId, nullptr};
            EnumWindows(findRenderOutput, reinterpret_cast<LPARAM>(&output));
            if (!output.found) {
                std::printf("nlrun: no \"Render Output\" window after %lu ms\n", quitAfter);
                TerminateProcess(pi.hProcess, 6);
                WaitForSingleObject(pi.hProcess, 5000);
                result = 6;
                break;
            }
            PostThreadMessageA(GetWindowThreadProcessId(output.found, nullptr), WM_QUIT, 0, 0);
            std::printf("nlrun: quit sent to \"Render Output\"\n");
            quitSent = true;
        }
        if (GetTickCount() - start > timeout) {
            std::printf("nlrun: %s still running after %lu ms\n", program.c_str(), timeout);
            TerminateProcess(pi.hProcess, 4);
            WaitForSingleObject(pi.hProcess, 5000);
            result = 4;
            break;
        }
    }
    std::fflush(stdout);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}
