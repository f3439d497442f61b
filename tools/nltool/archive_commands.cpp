// nltool pack / list / extract / verify: the SARC archive from the author's
// side. Reading goes through the player's own ArchiveFile and decoder, so
// what the tool verifies is what the player will see.

#include "commands.h"

#include "base/text.h"
#include "files/archive_file.h"
#include "files/archive_writer.h"
#include "files/disk_file.h"
#include "files/method1.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace {

bool readFile(const fs::path& path, std::vector<uint8_t>* data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string storedName(const std::string& generic) {
    std::string s = generic;
    while (s.rfind("./", 0) == 0) s = s.substr(2);
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

std::string lower(std::string s) {
    for (char& c : s) c = foldCase(c);
    return s;
}

const char* methodName(uint8_t method) {
    switch (method) {
    case METHOD_STORED:
        return "stored";
    case METHOD_COMPRESSED:
        return "packed";
    default:
        return "unknown";
    }
}

// Opens an archive for listing or checking; reports why when it cannot.
bool openForReading(ArchiveFile& archive, const std::string& path, std::ostream& err) {
    if (!fs::exists(path)) {
        err << "nltool: " << path << ": no such file\n";
        return false;
    }
    if (!archive.openArchive(path.c_str())) {
        err << "nltool: " << path << ": not a valid SARC archive\n";
        return false;
    }
    return true;
}

// A stored name becomes a path below `root`; names that would leave it
// (absolute, drive letters, "..") are refused.
bool safeOutputPath(const fs::path& root, const std::string& name, fs::path* out) {
    fs::path relative;
    size_t start = 0;
    std::string n = name;
    for (char& c : n)
        if (c == '\\') c = '/';
    if (n.empty() || n[0] == '/' || n.find(':') != std::string::npos) return false;
    while (start <= n.size()) {
        size_t end = n.find('/', start);
        if (end == std::string::npos) end = n.size();
        std::string part = n.substr(start, end - start);
        if (part == "..") return false;
        if (!part.empty() && part != ".") relative /= part;
        start = end + 1;
    }
    if (relative.empty()) return false;
    *out = root / relative;
    return true;
}

} // namespace

int packCommand(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 2) {
        err << "usage: nltool pack ARCHIVE.sar FOLDER|FILE...\n";
        return 2;
    }
    struct Source {
        std::string name;
        fs::path path;
    };
    std::vector<Source> sources;
    for (size_t i = 1; i < args.size(); ++i) {
        fs::path p(args[i]);
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            std::vector<Source> found;
            for (auto it = fs::recursive_directory_iterator(p, ec); !ec && it != fs::end(it);
                 it.increment(ec)) {
                if (!it->is_regular_file()) continue;
                found.push_back(
                    {storedName(fs::relative(it->path(), p).generic_string()), it->path()});
            }
            if (ec) {
                err << "nltool: " << args[i] << ": " << ec.message() << "\n";
                return 1;
            }
            std::sort(found.begin(), found.end(),
                      [](const Source& a, const Source& b) { return a.name < b.name; });
            sources.insert(sources.end(), found.begin(), found.end());
        } else if (fs::is_regular_file(p, ec)) {
            std::string name = p.is_absolute() ? p.filename().generic_string() : p.generic_string();
            sources.push_back({storedName(name), p});
        } else {
            err << "nltool: " << args[i] << ": no such file or folder\n";
            return 1;
        }
    }
    std::set<std::string> seen;
    for (const Source& s : sources) {
        if (s.name.size() > kMaxArchiveName) {
            err << "nltool: " << s.name << ": name longer than " << kMaxArchiveName << " bytes\n";
            return 1;
        }
        if (!seen.insert(lower(s.name)).second) {
            err << "nltool: " << s.name << ": named twice (names ignore letter case)\n";
            return 1;
        }
    }

    std::vector<PackedEntry> entries;
    uint64_t totalIn = 0, totalOut = 0;
    for (const Source& s : sources) {
        std::vector<uint8_t> data;
        if (!readFile(s.path, &data)) {
            err << "nltool: " << s.path.string() << ": cannot read\n";
            return 1;
        }
        if (data.size() > 0xFFFFFFF0u) {
            err << "nltool: " << s.path.string() << ": too large for an archive entry\n";
            return 1;
        }
        entries.push_back(packEntry(s.name, data));
        const PackedEntry& e = entries.back();
        totalIn += data.size();
        totalOut += e.bytes.size();
        out << std::left << std::setw(40) << e.name << " " << methodName(e.method) << " "
            << data.size() << " -> " << e.bytes.size() << "\n";
    }
    std::vector<uint8_t> archive;
    std::string error;
    if (!buildArchive(entries, &archive, &error)) {
        err << "nltool: " << error << "\n";
        return 1;
    }
    std::ofstream file(args[0], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
    file.close();
    if (!file) {
        err << "nltool: " << args[0] << ": cannot write\n";
        return 1;
    }
    out << entries.size() << " entries, " << totalIn << " bytes -> " << totalOut
        << " bytes of data, archive " << archive.size() << " bytes\n";
    return 0;
}

int listCommand(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: nltool list ARCHIVE.sar\n";
        return 2;
    }
    DiskFile disk;
    ArchiveFile archive(disk);
    if (!openForReading(archive, args[0], err)) return 1;
    uint64_t stored = 0, unpacked = 0;
    out << std::left << std::setw(40) << "name"
        << " method   stored   unpacked\n";
    for (const ArchiveEntry& e : archive.entries()) {
        out << std::left << std::setw(40) << e.name << " " << std::setw(7) << methodName(e.method)
            << std::right << std::setw(9) << e.stored << " " << std::setw(10) << e.unpacked << "\n";
        stored += e.stored;
        unpacked += e.unpacked;
    }
    out << archive.entries().size() << " entries, " << stored << " bytes stored, " << unpacked
        << " bytes unpacked\n";
    return 0;
}

int extractCommand(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args.size() > 2) {
        err << "usage: nltool extract ARCHIVE.sar [FOLDER]\n";
        return 2;
    }
    fs::path root = args.size() == 2 ? fs::path(args[1]) : fs::path(".");
    DiskFile disk;
    ArchiveFile archive(disk);
    if (!openForReading(archive, args[0], err)) return 1;
    int failures = 0;
    std::set<std::string> written;
    for (const ArchiveEntry& e : archive.entries()) {
        fs::path target;
        if (!safeOutputPath(root, e.name, &target)) {
            err << "nltool: " << e.name << ": refused, the name leaves the output folder\n";
            ++failures;
            continue;
        }
        // The player reads the first entry of a name: so does extract.
        if (!written.insert(lower(e.name)).second) continue;
        if (!archive.openRead(e.name)) {
            err << "nltool: " << e.name << ": cannot be read (corrupt or unknown method)\n";
            ++failures;
            continue;
        }
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        std::ofstream file(target, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size));
        file.close();
        archive.close();
        if (!file) {
            err << "nltool: " << target.string() << ": cannot write\n";
            ++failures;
            continue;
        }
        out << target.generic_string() << "\n";
    }
    return failures ? 1 : 0;
}

int verifyCommand(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: nltool verify ARCHIVE.sar\n";
        return 2;
    }
    DiskFile disk;
    ArchiveFile archive(disk);
    if (!openForReading(archive, args[0], err)) return 1;
    std::vector<uint8_t> bytes;
    if (!readFile(args[0], &bytes)) {
        err << "nltool: " << args[0] << ": cannot read\n";
        return 1;
    }
    // Every entry on its own, duplicates included; the directory check has
    // already placed each entry's data inside the file.
    uint32_t base = archive.dataOffset();
    int bad = 0;
    for (const ArchiveEntry& e : archive.entries()) {
        const uint8_t* stored = bytes.data() + base + e.offset;
        bool ok = true;
        if (e.method == METHOD_COMPRESSED) {
            std::unique_ptr<uint8_t[]> unpacked(new uint8_t[size_t(e.unpacked) + 1]);
            ok = decompressMethod1(stored, e.stored, unpacked.get(), e.unpacked);
        } else if (e.method != METHOD_STORED) {
            out << e.name << ": unknown method " << int(e.method) << " (the player skips it)\n";
            continue;
        }
        if (!ok) {
            err << "nltool: " << e.name << ": does not decompress to its " << e.unpacked
                << " bytes\n";
            ++bad;
        }
    }
    out << archive.entries().size() - bad << " of " << archive.entries().size()
        << " entries verified\n";
    return bad ? 1 : 0;
}
