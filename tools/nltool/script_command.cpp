// nltool script: parses an event script as the player does and prints its
// events, or the player's own error text, without starting the show.

#include "commands.h"

#include "base/message_box.h"
#include "files/archive_file.h"
#include "files/disk_file.h"
#include "timeline/demo_timeline.h"
#include "timeline/event_script.h"

#include <iomanip>

int scriptCommand(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args.size() > 2) {
        err << "usage: nltool script SCRIPT [ARCHIVE.sar]\n";
        return 2;
    }
    DiskFile disk;
    ArchiveFile archive(disk);
    if (args.size() == 2 && !archive.openArchive(args[1].c_str())) {
        err << "nltool: " << args[1] << ": not a valid SARC archive\n";
        return 1;
    }
    TextTokenizer tokenizer(&archive);
    if (!tokenizer.load(args[0].c_str())) {
        err << "nltool: " << args[0] << ": cannot be opened\n";
        return 1;
    }
    std::vector<ScriptEvent> events;
    MessageRecorder messages;
    bool ok = parseScript(tokenizer, events);
    for (const ScriptEvent& e : events) {
        const KeywordInfo* k = keywordById(e.id);
        out << std::setw(9) << e.time << "  " << k->name;
        for (int i = 0; i < argCount(k->argspec); ++i) {
            switch (argType(k->argspec, i)) {
            case ARG_WORD:
                out << " \"" << e.args[i].word << "\"";
                break;
            case ARG_INT:
                out << " " << e.args[i].i << " (0x" << std::hex << uint32_t(e.args[i].i) << std::dec
                    << ")";
                break;
            case ARG_FLOAT:
            case ARG_TIME:
                out << " " << e.args[i].f;
                break;
            }
        }
        out << "\n";
    }
    for (const Message& m : messages.messages()) err << m.caption << ": " << m.text << "\n";
    int mark = -1;
    int loop = findTimelessLoop(events, &mark);
    if (loop >= 0)
        err << "scene.scr(" << events[size_t(loop)].line
            << "): warning: " << timelessLoopWarning(events[size_t(mark)].line) << "\n";
    out << events.size() << " events" << (ok ? "" : " before the error") << "\n";
    return ok ? 0 : 1;
}
