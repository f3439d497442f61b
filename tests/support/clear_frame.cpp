#include "clear_frame.h"

bool openClearFrame(HWND window, UINT width, UINT height, ClearFrame* frame) {
    *frame = ClearFrame{};
    frame->d3d = createDirect3D();
    if (!frame->d3d) return false;

    D3DDISPLAYMODE mode;
    if (FAILED(frame->d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) {
        closeClearFrame(*frame);
        return false;
    }
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = mode.Format;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    if (FAILED(frame->d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                        &frame->device))) {
        closeClearFrame(*frame);
        return false;
    }
    return true;
}

void drawClearFrame(ClearFrame& frame, D3DCOLOR color) {
    frame.device->BeginScene();
    frame.device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0);
    frame.device->EndScene();
}

void closeClearFrame(ClearFrame& frame) {
    if (frame.device) frame.device->Release();
    if (frame.d3d) frame.d3d->Release();
    frame = ClearFrame{};
}
