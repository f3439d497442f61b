#pragma once
// What the player would have shown or logged while the checker stands in for
// it: every message box and every line of the diagnostic log, in the order
// they happened, as one list of texts. The used-files lists an activation
// writes are the log's ordinary content, not findings, and are left out.
//
// While it lives it replaces the message handler and the log's target (both
// come back afterwards); single-threaded, like the player.

#include "base/diag_log.h"
#include "base/message_box.h"

#include <sstream>
#include <string>
#include <vector>

class CheckCapture {
public:
    CheckCapture();
    ~CheckCapture();
    CheckCapture(const CheckCapture&) = delete;
    CheckCapture& operator=(const CheckCapture&) = delete;

    // The texts captured since the last call, oldest first: box texts without
    // their trailing line breaks, and whole log lines.
    std::vector<std::string> take();

private:
    static void onMessage(const Message& message, void* self);
    // Moves the complete lines written to the log so far into `texts`.
    void drainLog();

    // Keeps the handler that was installed before and puts it back on
    // destruction; the capture's own handler replaces it meanwhile, so that
    // boxes and log lines stay in one order.
    MessageRecorder previousHandler;
    std::ostringstream log;
    DiagLogRedirect redirect{log};
    std::string partialLine;
    bool inFileList = false; // between the used-files heading and the next take()
    std::vector<std::string> texts;
};
