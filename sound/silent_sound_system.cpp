#include "sound_system.h"

#include "base/text.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#include <mmsystem.h>
#else
#include <chrono>
#endif

uint32_t systemTickMilliseconds() {
#ifdef _WIN32
    // The multimedia timer: GetTickCount steps by 10-16 ms or worse, which
    // would make the silent clock stutter.
    return timeGetTime();
#else
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
#endif
}

int SilentSoundSystem::load(const char*, VirtualFile*) {
    timers.push_back(TimerItem{false, 0.0});
    return int(timers.size());
}

bool SilentSoundSystem::play(int handle) {
    if (!valid(handle)) return false;
    TimerItem& timer = timers[size_t(handle - 1)];
    timer = TimerItem{true, tick() * 0.001 - timer.from};
    return true;
}

bool SilentSoundSystem::stop(int handle) {
    if (!valid(handle)) return false;
    timers[size_t(handle - 1)].playing = false;
    return true;
}

double SilentSoundSystem::position(int handle) {
    if (!valid(handle)) return 0.0;
    return tick() * 0.001 - timers[size_t(handle - 1)].start;
}

bool SilentSoundSystem::seek(int handle, double seconds) {
    if (!valid(handle) || !(seconds >= 0)) return false;
    TimerItem& timer = timers[size_t(handle - 1)];
    timer.start = tick() * 0.001 - seconds;
    if (!timer.playing) timer.from = seconds;
    return true;
}

int tuneTypeOf(const char* name) {
    static const struct {
        const char* ending;
        int type;
    } kEndings[] = {{".mod", 1}, {".xm", 2}, {".it", 4}, {".mp3", 5}};
    size_t length = name ? std::strlen(name) : 0;
    for (const auto& e : kEndings) {
        size_t n = std::strlen(e.ending);
        if (length >= n && equalsIgnoreCase(name + length - n, e.ending)) return e.type;
    }
    return 0;
}
