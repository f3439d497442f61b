#include "resource_count.h"

#include <atomic>

namespace {

std::atomic<long> live{0};

// {5e1f0c4a-8b7d-4f2e-9c3a-6d2b1a0e7f55}
const GUID kCounted = {0x5e1f0c4a, 0x8b7d, 0x4f2e, {0x9c, 0x3a, 0x6d, 0x2b, 0x1a, 0x0e, 0x7f, 0x55}};

// Lives as long as the resource holds it: made with one reference, which
// the resource takes over.
class Marker : public IUnknown {
public:
    Marker() { live.fetch_add(1); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id == IID_IUnknown) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references;
        if (left == 0) {
            live.fetch_sub(1);
            delete this;
        }
        return left;
    }

private:
    std::atomic<ULONG> references{1};
};

template <typename Resource> void mark(Resource* resource) {
    if (!resource) return;
    auto* marker = new Marker;
    // The resource adds its own reference to an IUnknown it keeps; where it
    // keeps none, the marker goes at once and counts nothing.
    resource->SetPrivateData(kCounted, marker, sizeof(IUnknown*), D3DSPD_IUNKNOWN);
    marker->Release();
}

} // namespace

void countResource(IDirect3DResource8* resource) {
    mark(resource);
}

void countResource(IDirect3DSurface8* surface) {
    mark(surface);
}

long liveResources() {
    return live.load();
}
