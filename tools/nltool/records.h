#pragma once
// The report lines of nltool: a record word, then key=value fields (values
// with blanks, quotes or equals signs are quoted, with \" and \\ escaped).

#include <ostream>
#include <sstream>
#include <string>

inline std::string quote(const std::string& v) {
    bool plain = !v.empty();
    for (char c : v) plain &= c > 32 && c != '"' && c != '=' && c != '\\';
    if (plain) return v;
    std::string q = "\"";
    for (char c : v) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + "\"";
}

inline std::string number(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

inline std::string triple(const float* v) {
    return number(v[0]) + " " + number(v[1]) + " " + number(v[2]);
}

class Record {
public:
    Record(std::ostream& out, const char* word) : out(out) { out << word; }
    ~Record() { out << "\n"; }
    Record& operator()(const char* key, const std::string& value) {
        out << " " << key << "=" << quote(value);
        return *this;
    }
    Record& operator()(const char* key, double value) { return (*this)(key, number(value)); }

private:
    std::ostream& out;
};

