// End to end: the program with the setup's "Windowed" and "Stereo" clicked,
// as a person would click them, plays its show in two windows to its end.
//
//   stereo_setup_e2e TIMEOUT_MS PROGRAM
//
// The clicks come from stereo_setup_hook.dll (beside this program), hooked
// into the desktop for as long as the program runs. Passes (exit code 0) when
// the program shows two "Render Output" windows side by side, raises no
// message box and ends by itself with exit code 0 within the time. Otherwise
// it says why: 1 a check failed, 3 a message box (the program is ended), 4
// timeout, 5 cannot start or hook. Unix paths are reached through Z:.

#include <windows.h>

#include "tests/support/start_in_folder.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD processId = 0;
    HWND messageBox = nullptr;
    std::vector<RECT> outputs; // visible "Render Output" windows
};

BOOL CALLBACK inspect(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId || !IsWindowVisible(window)) return TRUE;
    char cls[64] = {}, title[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, title, sizeof title);
    // Message boxes are dialogs of the system class; the setup dialog is
    // one too, but never shown.
    if (std::string(cls) == "#32770" && !search->messageBox) search->messageBox = window;
    if (std::string(title) == "Render Output") {
        RECT r;
        GetWindowRect(window, &r);
        search->outputs.push_back(r);
    }
    return TRUE;
}

BOOL CALLBACK collectText(HWND child, LPARAM param) {
    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) {
        char text[1024] = {};
        GetWindowTextA(child, text, sizeof text);
        if (text[0]) *reinterpret_cast<std::string*>(param) += std::string(" ") + text;
    }
    return TRUE;
}

std::string besideThisProgram(const char* name) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self);
    return path.substr(0, path.find_last_of("\\/") + 1) + name;
}

bool sideBySide(const RECT& a, const RECT& b) {
    const RECT& left = a.left <= b.left ? a : b;
    const RECT& right = a.left <= b.left ? b : a;
    return left.top == right.top && left.right <= right.left &&
           left.right - left.left == right.right - right.left &&
           left.bottom - left.top == right.bottom - right.top;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: stereo_setup_e2e TIMEOUT_MS PROGRAM\n");
        return 2;
    }
    const DWORD timeout = DWORD(std::strtoul(argv[1], nullptr, 10));
    const std::string program = windowsPath(argv[2]);

    HMODULE hook = LoadLibraryA(besideThisProgram("stereo_setup_hook.dll").c_str());
    auto* clicks = hook ? reinterpret_cast<HOOKPROC>(
                              reinterpret_cast<void*>(GetProcAddress(hook, "setupClicks")))
                        : nullptr;
    HHOOK installed = clicks ? SetWindowsHookExA(WH_CALLWNDPROCRET, clicks, hook, 0) : nullptr;
    if (!installed) {
        std::printf("stereo_setup_e2e: cannot hook the setup dialog (error %lu)\n", GetLastError());
        return 5;
    }
    // Inherited by the program only: the hook acts where this is set.
    SetEnvironmentVariableA("NL_SETUP_CLICK_STEREO", "1");

    std::string commandLine = "\"" + program + "\"";
    PROCESS_INFORMATION pi;
    const bool started = startInFolder(program, commandLine, pi);
    if (!started) {
        std::printf("stereo_setup_e2e: cannot start %s (error %lu)\n", program.c_str(),
                    GetLastError());
        UnhookWindowsHookEx(installed);
        return 5;
    }

    const DWORD start = GetTickCount();
    int result = 0;
    size_t mostOutputs = 0;
    bool besideEachOther = false;
    RECT seen[2] = {};
    for (;;) {
        const bool ended = WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0;
        if (ended) {
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            std::printf("stereo_setup_e2e: %s exited with %lu\n", program.c_str(), code);
            result = code == 0 ? 0 : 1;
            break;
        }
        Search search;
        search.processId = pi.dwProcessId;
        EnumWindows(inspect, reinterpret_cast<LPARAM>(&search));
        if (search.messageBox) {
            char caption[256] = {};
            GetWindowTextA(search.messageBox, caption, sizeof caption);
            std::string text;
            EnumChildWindows(search.messageBox, collectText, reinterpret_cast<LPARAM>(&text));
            std::printf("stereo_setup_e2e: message box: [%s]%s\n", caption, text.c_str());
            TerminateProcess(pi.hProcess, 3);
            WaitForSingleObject(pi.hProcess, 5000);
            result = 3;
            break;
        }
        if (search.outputs.size() > mostOutputs) mostOutputs = search.outputs.size();
        if (search.outputs.size() == 2 && !besideEachOther) {
            besideEachOther = sideBySide(search.outputs[0], search.outputs[1]);
            seen[0] = search.outputs[0];
            seen[1] = search.outputs[1];
        }
        if (GetTickCount() - start > timeout) {
            std::printf("stereo_setup_e2e: still running after %lu ms\n", timeout);
            TerminateProcess(pi.hProcess, 4);
            WaitForSingleObject(pi.hProcess, 5000);
            result = 4;
            break;
        }
    }
    UnhookWindowsHookEx(installed);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    std::printf("stereo_setup_e2e: at most %zu \"Render Output\" windows", mostOutputs);
    if (mostOutputs >= 2)
        std::printf(", at (%ld,%ld)-(%ld,%ld) and (%ld,%ld)-(%ld,%ld)", seen[0].left, seen[0].top,
                    seen[0].right, seen[0].bottom, seen[1].left, seen[1].top, seen[1].right,
                    seen[1].bottom);
    std::printf("\n");
    if (result == 0 && mostOutputs != 2) {
        std::printf("stereo_setup_e2e: expected two \"Render Output\" windows\n");
        result = 1;
    }
    if (result == 0 && !besideEachOther) {
        std::printf("stereo_setup_e2e: the two windows are not side by side\n");
        result = 1;
    }
    std::printf("stereo_setup_e2e: %s\n", result == 0 ? "passed" : "failed");
    std::fflush(stdout);
    return result;
}
