#include "lws_words.h"

#include <cstdlib>
#include <cstring>

void splitWords(char* buffer, size_t size, std::vector<char*>& words) {
    words.clear();
    size_t i = 0;
    while (i < size) {
        const unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c < 33) {
            ++i;
            continue;
        }
        if (c == '"') {
            char* start = buffer + i + 1;
            size_t j = i + 1;
            while (j < size && buffer[j] != '"' && buffer[j] != 0) ++j;
            words.push_back(start);
            if (j < size) buffer[j] = 0;
            i = j + 1;
        } else {
            words.push_back(buffer + i);
            size_t j = i;
            while (j<size&& static_cast<unsigned char>(buffer[j])> 32) ++j;
            if (j < size) buffer[j] = 0;
            i = j + 1;
        }
    }
}

int WordReader::nextInt() {
    return std::atoi(next());
}

float WordReader::nextFloat() {
    return float(std::atof(next()));
}

const char* WordReader::nextKeyword() {
    const char* w = next();
    if (!std::strcmp(w, "{")) w = next();
    return w;
}

bool WordReader::endOfBlock() {
    if (atEnd()) return true;
    if (!std::strcmp(peek(), "}")) {
        ++position;
        return true;
    }
    return false;
}

void WordReader::skipBlock() {
    int depth = 1;
    while (!atEnd() && depth > 0) {
        const char* w = next();
        if (!std::strcmp(w, "{"))
            ++depth;
        else if (!std::strcmp(w, "}"))
            --depth;
    }
}
