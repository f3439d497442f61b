#pragma once
// The word reader of the LWS loader: the file split into words in place (a
// word is a run of bytes above 32, or a double-quoted run without its
// quotes), and bounded reading operations over them. Reading past the last
// word yields "" and never moves beyond the end, so a malformed file can
// neither overrun the array nor loop forever.

#include <cstddef>
#include <vector>

// Splits `buffer` (terminated by two zero bytes) into `words`, writing zero
// bytes in place.
void splitWords(char* buffer, size_t size, std::vector<char*>& words);

class WordReader {
public:
    WordReader(std::vector<char*>& words, size_t& position) : words(words), position(position) {}

    bool atEnd() const { return position >= words.size(); }
    size_t remaining() const { return atEnd() ? 0 : words.size() - position; }
    const char* peek() const { return atEnd() ? "" : words[position]; }
    const char* next() { return atEnd() ? "" : words[position++]; }
    int nextInt();
    float nextFloat();
    // The next word, or the one after it when the next word is "{".
    const char* nextKeyword();
    // Consumes a "}" and answers true; at the end of the words also true.
    bool endOfBlock();
    // Skips to just after the "}" that closes the current block.
    void skipBlock();

private:
    std::vector<char*>& words;
    size_t& position;
};
