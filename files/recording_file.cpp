#include "recording_file.h"

#include <algorithm>

RecordingFile::RecordingFile(const VirtualFile& inner, std::shared_ptr<Names> names)
    : file(inner.clone()), recorded(std::move(names)) {}

RecordingFile::~RecordingFile() {
    delete file;
}

VirtualFile* RecordingFile::clone() const {
    return new RecordingFile(*file, recorded);
}

void RecordingFile::note(const char* name) {
    if (!name || !*name) return;
    if (std::find(recorded->begin(), recorded->end(), name) == recorded->end())
        recorded->push_back(name);
}

bool RecordingFile::exists(const char* name) {
    note(name);
    return file->exists(name);
}

bool RecordingFile::openRead(const char* name) {
    note(name);
    const bool ok = file->openRead(name);
    size = ok ? file->size : 0;
    return ok;
}

bool RecordingFile::openWrite(const char* name) {
    const bool ok = file->openWrite(name);
    size = ok ? file->size : 0;
    return ok;
}

bool RecordingFile::close() {
    size = 0;
    return file->close();
}

uint32_t RecordingFile::read(void* buffer, uint32_t count) {
    return file->read(buffer, count);
}

uint32_t RecordingFile::write(const void* buffer, uint32_t count) {
    const uint32_t n = file->write(buffer, count);
    size = file->size;
    return n;
}

bool RecordingFile::seek(uint32_t position) {
    return file->seek(position);
}

bool RecordingFile::seekRelative(int32_t delta) {
    return file->seekRelative(delta);
}

uint32_t RecordingFile::tell() {
    return file->tell();
}
