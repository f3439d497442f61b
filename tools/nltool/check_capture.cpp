#include "check_capture.h"

namespace {

// The heading activateMetaScene writes before its used-files lists.
const char kFileListHeading[] = "-------- unsorted files ----------";

} // namespace

CheckCapture::CheckCapture() {
    setMessageHandler(&CheckCapture::onMessage, this);
}

CheckCapture::~CheckCapture() = default;

void CheckCapture::onMessage(const Message& message, void* context) {
    auto* self = static_cast<CheckCapture*>(context);
    // Whatever was logged before the box came first.
    self->drainLog();
    std::string text = message.text;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    self->texts.push_back(text);
}

void CheckCapture::drainLog() {
    partialLine += log.str();
    log.str("");
    size_t start = 0;
    for (size_t end; (end = partialLine.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = partialLine.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == kFileListHeading) inFileList = true;
        if (!inFileList && !line.empty()) texts.push_back(line);
    }
    partialLine.erase(0, start);
}

std::vector<std::string> CheckCapture::take() {
    drainLog();
    if (!partialLine.empty() && !inFileList) texts.push_back(partialLine);
    partialLine.clear();
    inFileList = false;
    std::vector<std::string> taken;
    taken.swap(texts);
    return taken;
}
