// nltool check: plays a show's script through without a device, the way the
// player would run it, and lists what would go wrong: every box the player
// would raise and every picture, object or scene its loaders would miss, at
// the script line of the event that causes it. The metascenes are really
// loaded and activated (device-less), so what a later event finds is what
// the player would find then.
//
// Problems not tied to an event (the start-up pictures) are given line 0.
// The file name in front of each problem is the fixed "scene.scr" of the
// player's own script messages, whatever the script is called.
//
// After the problems comes what the show uses: the commands its script runs
// (and those it never runs) and the render features of the metascenes it
// activates. --require names features or commands that must be among them.

#include "commands.h"

#include "check_capture.h"
#include "show_features.h"
#include "files/archive_file.h"
#include "files/disk_file.h"
#include "images/texture.h"
#include "sound/sound_system.h"
#include "timeline/demo_timeline.h"
#include "timeline/event_script.h"
#include "timeline/metascene_loader.h"

#include <memory>

namespace {

// The pictures the player loads at start-up, whatever the show.
const auto& kFixedPictures = STARTUP_PICTURES;

struct Finding {
    int line;
    std::string text;
    bool warning;
};

// The player's state as far as the events change what later events find:
// the loaded metascenes and the current one.
class ShowCheck {
public:
    ShowCheck(VirtualFile& files, const std::string& scriptName)
        : files(files), scriptName(scriptName) {}

    void checkFixedPictures();
    void run(const ScriptEvent& event) {
        features.addEvent(event);
        execute(event);
        noteCaptured(event.line);
    }
    void warn(int line, const std::string& text) { findings.push_back({line, text, true}); }

    std::vector<Finding> findings; // in the order the player would meet them
    ShowFeatures features;         // what the show uses, from the metascenes it activates

private:
    void note(int line, const std::string& text) { findings.push_back({line, text, false}); }
    // Everything the player would have shown or logged since the last call.
    void noteCaptured(int line) {
        for (const std::string& text : capture.take()) note(line, text);
    }
    void execute(const ScriptEvent& event);
    void runSceneCommand(const ScriptEvent& event);
    void checkMusic(const ScriptEvent& event);
    LWSurface* findSurface(const char* prefix) const {
        return current ? findSurfaceByPrefix(*current, prefix) : nullptr;
    }

    VirtualFile& files;
    std::string scriptName;
    CheckCapture capture;
    std::vector<std::unique_ptr<MetaScene>> mts; // entries may be empty, as the player's
    MetaScene* current = nullptr;
};

const char* word(const ScriptEvent& event, int k) {
    return event.args[k].word ? event.args[k].word : "";
}

void ShowCheck::checkFixedPictures() {
    for (const char* name : kFixedPictures) {
        // As the player's start-up loads them: picture, then build.
        ImageTexture picture(nullptr);
        picture.load(&files, name, 0);
        picture.flags = TEXTURE_COLOR_LAYER;
        picture.build();
        noteCaptured(0);
    }
}

void ShowCheck::execute(const ScriptEvent& e) {
    const int line = e.line;
    switch (e.id) {
    case EV_LOADMETASCRIPT: {
        std::unique_ptr<MetaScene> meta = loadMetascript(nullptr, &files, word(e, 0));
        noteCaptured(line);
        if (!meta) note(line, missingTargetText(e.id, 'm'));
        mts.push_back(std::move(meta));
        return;
    }
    case EV_LOADMETA: {
        const std::string name = word(e, 0);
        std::unique_ptr<MetaScene> meta = loadBinaryMetascene(nullptr, &files, name.c_str());
        noteCaptured(line);
        // The player says nothing here; an author wants to know.
        if (!meta && files.exists(name.c_str()))
            note(line, "loadmeta: \"" + name + "\" is not a binary metascene");
        else if (!meta)
            note(line, "loadmeta: cannot open \"" + name + "\"");
        mts.push_back(std::move(meta));
        return;
    }
    case EV_ACTIVEMETA: {
        MetaScene* meta = findMetaByPrefix(mts, word(e, 0));
        if (!meta) {
            note(line, missingTargetText(e.id, 'm'));
            return;
        }
        current = meta;
        Activation activation;
        activation.fixedFiles = {scriptName, kFixedPictures[0], kFixedPictures[1]};
        activateMetaScene(*meta, activation);
        features.addMetaScene(*meta);
        return;
    }
    case EV_FREEMETA: {
        const MetaScene* meta = findMetaByPrefix(mts, word(e, 0));
        if (!meta) {
            note(line, missingTargetText(e.id, 'm'));
            return;
        }
        if (meta == current) current = nullptr;
        for (std::unique_ptr<MetaScene>& entry : mts)
            if (entry.get() == meta) entry.reset();
        return;
    }
    case EV_PICFADEIN:
    case EV_PICFADEOUT:
    case EV_PICFLASH:
        if (!findSurface(word(e, 1))) note(line, missingTargetText(e.id, 'f'));
        return;
    default:
        break;
    }
    if (isPlayEvent(e.id))
        checkMusic(e);
    else if (isSceneCommand(e.id))
        runSceneCommand(e);
}

void ShowCheck::runSceneCommand(const ScriptEvent& e) {
    if (!current || !current->findScene(word(e, 0))) {
        note(e.line, missingTargetText(e.id, 's'));
        return;
    }
    if (e.id == EV_SETRT && !findSurface(word(e, 1))) note(e.line, missingTargetText(e.id, 'f'));
}

void ShowCheck::checkMusic(const ScriptEvent& e) {
    const std::string keyword = keywordById(e.id)->name;
    const char* name = word(e, 0);
    // The sound system reads the whole tune through the demo's files.
    std::unique_ptr<VirtualFile> file(files.clone());
    if (file->openRead(name))
        file->close();
    else
        note(e.line, keyword + ": cannot open music \"" + name + "\"");
    noteCaptured(e.line);
    if (tuneTypeOf(name) == 0)
        note(e.line, keyword + ": \"" + name +
                         "\" is no music the sound library plays (it knows .mod, .xm, .it and "
                         ".mp3)");
}

std::string counted(size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

} // namespace

int checkCommand(const Args& allArgs, std::ostream& out, std::ostream& err) {
    Args args;
    std::vector<std::string> required;
    for (size_t i = 0; i < allArgs.size(); ++i) {
        if (allArgs[i] == "--require" && i + 1 < allArgs.size()) {
            // Names separated by commas: features or command keywords.
            std::string list = allArgs[++i] + ",";
            for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos;
                 at = comma + 1) {
                std::string name = list.substr(at, comma - at);
                while (!name.empty() && name.front() == ' ') name.erase(name.begin());
                while (!name.empty() && name.back() == ' ') name.pop_back();
                if (!name.empty()) required.push_back(name);
            }
        } else {
            args.push_back(allArgs[i]);
        }
    }
    if (args.empty() || args.size() > 2) {
        err << "usage: nltool check ARCHIVE.sar [SCRIPT] [--require NAME,NAME...]\n";
        return 2;
    }
    const std::string scriptName = args.size() == 2 ? args[1] : "scene.scr";
    DiskFile disk;
    ArchiveFile archive(disk);
    if (!archive.openArchive(args[0].c_str())) {
        err << "nltool: " << args[0] << ": not a valid SARC archive\n";
        return 1;
    }
    TextTokenizer tokenizer(&archive);
    if (!tokenizer.load(scriptName.c_str())) {
        err << "nltool: " << scriptName << ": cannot be opened\n";
        return 1;
    }
    std::vector<ScriptEvent> events;
    std::vector<std::string> parseErrors; // the parser's own texts, with their line
    {
        MessageRecorder parserBoxes;
        parseScript(tokenizer, events);
        for (const Message& m : parserBoxes.messages()) parseErrors.push_back(m.text);
    }

    ShowCheck check(archive, scriptName);
    check.checkFixedPictures();
    int mark = -1;
    const int loop = findTimelessLoop(events, &mark);
    // After a parse error the player runs nothing, but the events before the
    // error are still worth checking.
    for (size_t i = 0; i < events.size(); ++i) {
        check.run(events[i]);
        if (int(i) == loop)
            check.warn(events[i].line, timelessLoopWarning(events[size_t(mark)].line));
    }

    size_t problems = parseErrors.size(), warnings = 0;
    for (const Finding& f : check.findings) {
        out << "scene.scr(" << f.line << "): " << (f.warning ? "warning: " : "") << f.text << "\n";
        ++(f.warning ? warnings : problems);
    }
    for (const std::string& text : parseErrors) out << text << "\n";
    out << (problems ? std::to_string(problems) : std::string("no"))
        << (problems == 1 ? " problem" : " problems") << " in " << counted(events.size(), "event");
    if (warnings) out << ", " << counted(warnings, "warning");
    out << "\n";
    check.features.print(out);
    const std::vector<std::string> missing = check.features.missing(required);
    for (const std::string& name : missing) out << "required but not used: " << name << "\n";
    return problems || !missing.empty() ? 1 : 0;
}
