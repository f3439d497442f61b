#include "message_box.h"

#include "message_box_system.h"

namespace {

std::mutex handlerLock;
MessageHandler currentHandler = nullptr;
void* currentContext = nullptr;

} // namespace

void showMessage(void* owner, const char* text, const char* caption, MessageIcon icon) {
    MessageHandler handler;
    void* context;
    {
        std::lock_guard<std::mutex> guard(handlerLock);
        handler = currentHandler;
        context = currentContext;
    }
    if (handler) {
        handler(Message{caption ? caption : "", text ? text : "", icon}, context);
        return;
    }
    showSystemMessage(owner, text ? text : "", caption ? caption : "", icon);
}

void setMessageHandler(MessageHandler handler, void* context) {
    std::lock_guard<std::mutex> guard(handlerLock);
    currentHandler = handler;
    currentContext = context;
}

void reportAssertion(const char* conditionText) {
    showMessage(nullptr, conditionText, "Assertion failed", MessageIcon::Warning);
}

MessageRecorder::MessageRecorder() {
    std::lock_guard<std::mutex> guard(handlerLock);
    previousHandler = currentHandler;
    previousContext = currentContext;
    currentHandler = &MessageRecorder::record;
    currentContext = this;
}

MessageRecorder::~MessageRecorder() {
    std::lock_guard<std::mutex> guard(handlerLock);
    currentHandler = previousHandler;
    currentContext = previousContext;
}

void MessageRecorder::record(const Message& message, void* context) {
    auto* self = static_cast<MessageRecorder*>(context);
    std::lock_guard<std::mutex> guard(self->lock);
    self->recorded.push_back(message);
}

std::vector<Message> MessageRecorder::messages() const {
    std::lock_guard<std::mutex> guard(lock);
    return recorded;
}

size_t MessageRecorder::count() const {
    std::lock_guard<std::mutex> guard(lock);
    return recorded.size();
}

bool MessageRecorder::saw(const std::string& part) const {
    std::lock_guard<std::mutex> guard(lock);
    for (const Message& m : recorded)
        if (m.text.find(part) != std::string::npos) return true;
    return false;
}

void MessageRecorder::clear() {
    std::lock_guard<std::mutex> guard(lock);
    recorded.clear();
}
