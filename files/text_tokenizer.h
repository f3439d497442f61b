#pragma once
// Cuts a whole text file into tokens in place. Tokens are separated by white
// space and control characters; double quotes group text with spaces into one
// token; ";" starts a comment running to the end of the line. Word tokens are
// pointers into the tokenizer's buffer and stay valid until the next
// successful load or the tokenizer's destruction.

#include "virtual_file.h"

#include <cstdint>
#include <vector>

class TextTokenizer {
public:
    // `source` is not owned and must outlive every load.
    explicit TextTokenizer(VirtualFile* source) : source(source) {}
    ~TextTokenizer() { delete[] buffer; }
    TextTokenizer(const TextTokenizer&) = delete;
    TextTokenizer& operator=(const TextTokenizer&) = delete;

    // Reads the whole file. False (keeping the previous text) when it cannot
    // be opened or read.
    bool load(const char* name);
    // Prepares text already in memory, as load does with a file's bytes.
    void loadText(const char* text, uint32_t length);

    bool atEnd() const { return position >= size; }
    // Each read takes the next token; at the end they return "" / 0.
    const char* readWord();
    int32_t readInt();
    float readFloat();
    // A time in milliseconds: "m:s.ms", "m:s", "s.ms" or "ms". The part after
    // "." counts milliseconds: "1.5" is 1 s 5 ms.
    float readTime();

    // Line (from 1) of buffer index `index`.
    int lineOf(uint32_t index) const;
    // Buffer index of the next token, for lineOf.
    uint32_t tell() const { return position; }

    const char* text() const { return buffer; }
    uint32_t length() const { return size; }
    int lineCount() const { return int(lines.size()); }

private:
    void prepare();
    const char* nextToken();

    VirtualFile* source;
    char* buffer = nullptr;
    uint32_t size = 0;
    uint32_t position = 0;
    std::vector<uint32_t> lines; // indices of newlines outside quotes
};

// The time syntax of readTime, on one token.
float parseTimeToken(const char* token);
