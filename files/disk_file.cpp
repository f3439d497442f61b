#include "disk_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#define NL_OPEN ::_open
#define NL_READ ::_read
#define NL_WRITE ::_write
#define NL_LSEEK _lseeki64
#define NL_CLOSE ::_close
#define NL_BINARY _O_BINARY
#define NL_OWNER_RW (_S_IREAD | _S_IWRITE)
#else
#include <filesystem>
#include <unistd.h>
#define NL_OPEN ::open
#define NL_READ ::read
#define NL_WRITE ::write
#define NL_LSEEK ::lseek
#define NL_CLOSE ::close
#define NL_BINARY 0
#define NL_OWNER_RW (S_IRUSR | S_IWUSR)
#endif

namespace {

// Names and search paths use "\" as the player's content does; hosts other
// than Windows need "/" instead.
std::string hostName(const std::string& name) {
#ifdef _WIN32
    return name;
#else
    std::string mapped = name;
    for (char& c : mapped)
        if (c == '\\') c = '/';
    return mapped;
#endif
}

int openForReading(const std::string& name) {
    return NL_OPEN(hostName(name).c_str(), O_RDONLY | NL_BINARY);
}

} // namespace

DiskFile::~DiskFile() {
    close();
}

VirtualFile* DiskFile::clone() const {
    auto* copy = new DiskFile;
    copy->path = path;
    return copy;
}

bool DiskFile::exists(const char* name) {
    DiskFile probe;
    return probe.openRead(name);
}

std::vector<std::string> DiskFile::candidates(const std::string& given) const {
    std::vector<std::string> paths{given};
    size_t colon = given.rfind(':');
    std::string stripped = colon == std::string::npos ? given : given.substr(colon + 1);
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(';', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) paths.push_back(path.substr(start, end - start) + stripped);
        start = end + 1;
    }
    return paths;
}

namespace {

// Size and modification time at the file system's own resolution, so that
// two saves within one second still differ (the C runtime's stat and
// mingw's std::filesystem both give whole seconds on Windows).
bool statFile(const std::string& hostPath, FileStamp& stamp) {
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(hostPath.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    stamp.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.modified = int64_t((uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime);
#else
    namespace fs = std::filesystem;
    const fs::path path(hostPath);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    const auto size = fs::file_size(path, ec);
    if (ec) return false;
    const auto modified = fs::last_write_time(path, ec);
    if (ec) return false;
    stamp.size = uint64_t(size);
    stamp.modified = int64_t(modified.time_since_epoch().count());
#endif
    stamp.found = true;
    return true;
}

} // namespace

FileStamp DiskFile::stampOf(const char* name) const {
    FileStamp stamp;
    if (!name) return stamp;
    for (const std::string& candidate : candidates(name))
        if (statFile(hostName(candidate), stamp)) return stamp;
    return FileStamp{};
}

bool DiskFile::openRead(const char* name) {
    if (fd >= 0 || !name) return false;
    for (const std::string& candidate : candidates(name)) {
        fd = openForReading(candidate);
        if (fd >= 0) break;
    }
    if (fd < 0) return false;
    long long length = NL_LSEEK(fd, 0, SEEK_END);
    NL_LSEEK(fd, 0, SEEK_SET);
    // Files of 4 GiB or more do not fit the interface's sizes.
    if (length < 0 || length > 0xFFFFFFFFll) {
        close();
        return false;
    }
    size = static_cast<uint32_t>(length);
    return true;
}

bool DiskFile::openWrite(const char* name) {
    if (fd >= 0 || !name) return false;
    fd = NL_OPEN(hostName(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | NL_BINARY, NL_OWNER_RW);
    if (fd < 0) return false;
    size = 0;
    written = 0;
    return true;
}

bool DiskFile::close() {
    if (fd < 0) return false;
    NL_CLOSE(fd);
    fd = -1;
    size = 0;
    return true;
}

uint32_t DiskFile::read(void* buffer, uint32_t count) {
    if (fd < 0) return 0;
    auto n = NL_READ(fd, buffer, count);
    return n < 0 ? 0 : static_cast<uint32_t>(n);
}

uint32_t DiskFile::write(const void* buffer, uint32_t count) {
    if (fd < 0) return 0;
    auto n = NL_WRITE(fd, buffer, count);
    if (n < 0) return 0;
    written += static_cast<uint32_t>(n);
    return static_cast<uint32_t>(n);
}

bool DiskFile::seek(uint32_t position) {
    return fd >= 0 && NL_LSEEK(fd, static_cast<long long>(position), SEEK_SET) >= 0;
}

bool DiskFile::seekRelative(int32_t delta) {
    return fd >= 0 && NL_LSEEK(fd, delta, SEEK_CUR) >= 0;
}

uint32_t DiskFile::tell() {
    if (fd < 0) return 0;
    long long p = NL_LSEEK(fd, 0, SEEK_CUR);
    return p < 0 ? 0 : static_cast<uint32_t>(p);
}

void DiskFile::setSearchPath(const char* newPath) {
    path = newPath ? newPath : "";
}
