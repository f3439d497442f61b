#pragma once
// Named timing sections on the processor's time-stamp counter. Sections are
// registered once at start-up; begin/end bracket the measured work and do no
// allocation or lookup. Counts are counter ticks, not time units.
// Main thread only.

#include <cstddef>
#include <cstdint>
#include <vector>

struct ProfileSection {
    const char* name; // static text, not copied
    uint32_t execs;
    uint64_t total;
    uint64_t min;
    uint64_t max;
    uint64_t start;
};

// The sections the demo player registers, in this order.
enum ProfileIndex {
    PROFILE_COMPLETE_RENDER_TIME = 0,
    PROFILE_GET_CUBE_MAP_SURFACE,
    PROFILE_CLEAR,
    PROFILE_SET_STATES,
    PROFILE_SET_SOURCES,
    PROFILE_DRAW_INDEXED_PRIMITIVE,
    PROFILE_PRESENT,
    PROFILE_SVP_SWITCH,
    PROFILE_GET_MATRIX,
    PROFILE_GET_INV_MATRIX,
    PROFILE_RENDER_SHADOW_MAP,
};

class Profiler {
public:
    // Appends a zeroed section; returns its index.
    int registerSection(const char* name);
    void begin(int index) { sections[size_t(index)].start = readCounter(); }
    void end(int index) { record(index, readCounter() - sections[size_t(index)].start); }
    // Adds one measurement of `elapsed` ticks (what end does).
    void record(int index, uint64_t elapsed);
    // Writes the table to the diagnostic log.
    void report() const;
    // Registers the demo player's sections at their fixed indices.
    void registerDemoSections();

    const std::vector<ProfileSection>& all() const { return sections; }
    void clear() { sections.clear(); }

    static uint64_t readCounter();

private:
    std::vector<ProfileSection> sections;
};

// The process-wide table.
Profiler& profiler();

// Times its lifetime into one section; records nothing while that section is
// not registered (tools and tests run without the player's sections).
class ProfileScope {
public:
    explicit ProfileScope(int section) : section(section), start(Profiler::readCounter()) {}
    ~ProfileScope() {
        if (profiler().all().size() > size_t(section))
            profiler().record(section, Profiler::readCounter() - start);
    }
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;

private:
    int section;
    uint64_t start;
};
