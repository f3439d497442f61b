#pragma once
// Render targets exist once per device, but the lights, surfaces and scenes
// that own them have fields for one set: the set of the output that draws
// now. With two outputs the other output's set waits in an OutputTargets,
// keyed by its owner and its device, and trades places with the fields when
// that output draws. With one output nothing ever waits here.
//
// A Set is a plain struct of owned Direct3D pointers with `bool empty()`;
// its default value holds none. Whoever releases an owner's fields releases
// what waits for it too (releaseAll). Slots stay in the map once made, so a
// trade in the frame loop allocates nothing after the first one.

#include "app/d3d_check.h"

#include <d3d8.h>

#include <cstdint>
#include <map>
#include <utility>

// The device a surface was made on (held by pointer only, not referenced).
inline const void* deviceOf(IDirect3DSurface8* surface) {
    IDirect3DDevice8* device = nullptr;
    if (!surface || !D3D_CHECK(surface->GetDevice(&device)) || !device) return nullptr;
    device->Release();
    return device;
}

template <typename Set> class OutputTargets {
public:
    // `fields` hold the set of device `from` (or none); afterwards they hold
    // the set kept for device `to`, or none.
    void trade(const void* owner, Set& fields, const void* from, const void* to) {
        if (from == to) return;
        if (!fields.empty()) sets[key(owner, from)] = fields;
        fields = Set{};
        auto kept = sets.find(key(owner, to));
        if (kept == sets.end()) return;
        fields = kept->second;
        kept->second = Set{};
    }
    // Keeps `set`, made on `device`, until that device's output draws.
    void keep(const void* owner, const void* device, const Set& set) {
        sets[key(owner, device)] = set;
    }
    // Hands every set kept for `owner` to `release` and forgets the owner.
    template <typename Release> void releaseAll(const void* owner, Release release) {
        auto it = sets.lower_bound(key(owner, nullptr));
        while (it != sets.end() && it->first.first == uintptr_t(owner)) {
            if (!it->second.empty()) release(it->second);
            it = sets.erase(it);
        }
    }

private:
    using Key = std::pair<uintptr_t, uintptr_t>;
    static Key key(const void* owner, const void* device) {
        return {uintptr_t(owner), uintptr_t(device)};
    }
    std::map<Key, Set> sets;
};
