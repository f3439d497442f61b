#include "direct3d.h"

namespace {
using Direct3DCreate8Fn = IDirect3D8*(WINAPI*)(UINT sdkVersion);
}

IDirect3D8* createDirect3D() {
    // The module stays loaded for the life of the process: devices and
    // interfaces made from it may outlive any one caller.
    static HMODULE module = LoadLibraryA("d3d8.dll");
    if (!module) return nullptr;
    auto create = reinterpret_cast<Direct3DCreate8Fn>(
        reinterpret_cast<void*>(GetProcAddress(module, "Direct3DCreate8")));
    if (!create) return nullptr;
    return create(D3D_SDK_VERSION);
}
