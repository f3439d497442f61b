// The text tokenizer on arbitrary text: preparation, every kind of read, and
// line lookups must stay inside the buffer.

#include "files/text_tokenizer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TextTokenizer t(nullptr);
    t.loadText(reinterpret_cast<const char*>(data), uint32_t(size));
    unsigned kind = 0;
    while (!t.atEnd()) {
        t.lineOf(t.tell());
        switch (kind++ % 4) {
        case 0:
            t.readWord();
            break;
        case 1:
            t.readInt();
            break;
        case 2:
            t.readFloat();
            break;
        case 3:
            t.readTime();
            break;
        }
    }
    t.lineOf(t.length() + 5);
    return 0;
}
