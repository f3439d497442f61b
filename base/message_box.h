#pragma once
// Every message box the programs show goes through showMessage(). The shipped
// programs show a real, modal box; tests and unattended tools install a
// handler instead (MessageRecorder), which records the message and returns at
// once, so nothing waits for a person.

#include <mutex>
#include <string>
#include <vector>

enum class MessageIcon { None, Error, Warning, Information };

struct Message {
    std::string caption;
    std::string text;
    MessageIcon icon = MessageIcon::None;
};

// Handler called instead of the system box. `context` is the pointer given
// to setMessageHandler.
using MessageHandler = void (*)(const Message& message, void* context);

// Shows a box with an OK button and waits until it is dismissed (or hands the
// message to the installed handler). `owner` is the owner window (HWND) or null.
void showMessage(void* owner, const char* text, const char* caption, MessageIcon icon);

// Installs a handler; nullptr restores the system box. Returns nothing: use
// MessageRecorder for scoped replacement.
void setMessageHandler(MessageHandler handler, void* context);

// The non-fatal assertion: a warning box captioned "Assertion failed" whose
// text is the failed condition as written; execution continues afterwards.
void reportAssertion(const char* conditionText);

// Evaluates `expr`; when false, raises the non-fatal assertion with its text
// (write `cond && "message"` to attach a message) and yields false.
#define NL_ASSERT(expr) ((expr) ? true : (reportAssertion(#expr), false))

// Records every message while it lives and shows none. Nesting is allowed:
// the previous handler comes back on destruction.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<Message> messages() const;
    size_t count() const;
    // True when some recorded message's text contains `part`.
    bool saw(const std::string& part) const;
    void clear();

private:
    static void record(const Message& message, void* context);

    mutable std::mutex lock;
    std::vector<Message> recorded;
    MessageHandler previousHandler;
    void* previousContext;
};
