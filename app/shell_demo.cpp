#include "shell_demo.h"

namespace {
constexpr int DIK_ESCAPE_CODE = 1;
}

void ShellDemo::update() {
    for (IDirect3DDevice8* device : context.devices) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
}

void ShellDemo::inputStep(InputSource& input) {
    input.poll();
    if (input.keyPressed(DIK_ESCAPE_CODE)) done = true;
}
