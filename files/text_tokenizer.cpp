#include "text_tokenizer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

bool TextTokenizer::load(const char* name) {
    if (!source || !source->openRead(name)) return false;
    uint32_t got = 0;
    uint8_t* bytes = readRemaining(*source, &got);
    source->close();
    if (!bytes) return false;
    delete[] buffer;
    buffer = reinterpret_cast<char*>(bytes);
    size = got;
    prepare();
    return true;
}

void TextTokenizer::loadText(const char* text, uint32_t length) {
    char* copy = new char[size_t(length) + 1];
    std::memcpy(copy, text, length);
    delete[] buffer;
    buffer = copy;
    size = length;
    prepare();
}

void TextTokenizer::prepare() {
    lines.clear();
    bool quoted = false;
    for (uint32_t i = 0; i < size; ++i) {
        char c = buffer[i];
        if (c == '"') {
            buffer[i] = 0;
            quoted = !quoted;
            continue;
        }
        if (quoted) continue;
        if (c == ';') {
            while (i < size && buffer[i] != '\n') buffer[i++] = 0;
            if (i == size) break;
            c = buffer[i];
        }
        if (c == '\n') lines.push_back(i);
        if (static_cast<unsigned char>(c) < '!') buffer[i] = 0;
    }
    buffer[size] = 0;
    position = 0;
    while (position < size && buffer[position] == 0) ++position;
}

const char* TextTokenizer::nextToken() {
    if (!buffer || position >= size) return "";
    const char* start = buffer + position;
    while (position < size && buffer[position] != 0) ++position;
    while (position < size && buffer[position] == 0) ++position;
    return start;
}

const char* TextTokenizer::readWord() {
    return nextToken();
}

int32_t TextTokenizer::readInt() {
    const char* token = nextToken();
    int value = 0;
    if (token[0] && (token[1] == 'x' || token[1] == 'X')) {
        unsigned int hex = 0;
        if (std::sscanf(token, "%x", &hex) == 1) value = static_cast<int>(hex);
    } else if (std::sscanf(token, "%d", &value) != 1) {
        value = 0;
    }
    return value;
}

float TextTokenizer::readFloat() {
    float value = 0.0f;
    if (std::sscanf(nextToken(), "%f", &value) != 1) value = 0.0f;
    return value;
}

float TextTokenizer::readTime() {
    return parseTimeToken(nextToken());
}

float parseTimeToken(const char* token) {
    std::string t(token);
    size_t colon = t.find(':');
    size_t dot = t.find('.');
    double minutes = 0, seconds = 0, millis = 0;
    if (colon != std::string::npos && dot != std::string::npos) {
        minutes = std::atof(t.substr(0, colon).c_str());
        seconds = colon < dot ? std::atof(t.substr(colon + 1, dot - colon - 1).c_str()) : 0;
        millis = std::atof(t.substr(dot + 1).c_str());
    } else if (colon != std::string::npos) {
        minutes = std::atof(t.substr(0, colon).c_str());
        seconds = std::atof(t.substr(colon + 1).c_str());
    } else if (dot != std::string::npos) {
        seconds = std::atof(t.substr(0, dot).c_str());
        millis = std::atof(t.substr(dot + 1).c_str());
    } else {
        millis = std::atof(t.c_str());
    }
    return static_cast<float>(seconds * 1000.0 + minutes * 60000.0 + millis);
}

int TextTokenizer::lineOf(uint32_t index) const {
    // The table is in ascending order: count the entries below by bisection.
    return 1 + int(std::lower_bound(lines.begin(), lines.end(), index) - lines.begin());
}
