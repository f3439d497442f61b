// One picture decoder on untrusted bytes, chosen by the file name the build
// gives this target (NL_PICTURE_NAME): the same loader path as the player's.

#include "base/message_box.h"
#include "images/picture_loader.h"
#include "tests/support/memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)[NL_PICTURE_NAME] = std::vector<uint8_t>(data, data + size);
    MemoryFile memory(files);
    MessageRecorder quiet; // refusals are expected; nothing may wait for a person
    Picture picture;
    int code = 0;
    if (loadPicture(memory, NL_PICTURE_NAME, size & 1, picture, &code) && !picture.empty()) {
        // Touch every texel: the sizes must describe the buffer.
        uint32_t sum = 0;
        for (size_t i = 0; i < size_t(picture.width) * size_t(picture.height); ++i)
            sum += picture.pixels[i];
        if (sum == 0x12345678u) return 1;
    }
    return 0;
}
