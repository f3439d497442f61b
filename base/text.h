#pragma once
// Case-insensitive matching of names and keywords. Only ASCII letters fold:
// content names are compared the same way on every system and locale.

inline char foldCase(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

inline bool equalsIgnoreCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (foldCase(*a) != foldCase(*b)) return false;
        if (!*a) return true;
    }
}
