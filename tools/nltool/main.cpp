// nltool: the authoring command line of the demo player.

#include "commands.h"

#include <cstring>
#include <iostream>

namespace {

struct Command {
    const char* name;
    int (*run)(const Args&, std::ostream&, std::ostream&);
    const char* help;
};

const Command kCommands[] = {
    {"pack", packCommand, "pack ARCHIVE.sar FOLDER|FILE...   make a SARC archive"},
    {"list", listCommand, "list ARCHIVE.sar                   list its entries"},
    {"extract", extractCommand, "extract ARCHIVE.sar [FOLDER]       write its entries as files"},
    {"verify", verifyCommand, "verify ARCHIVE.sar                 check every entry unpacks"},
    {"script", scriptCommand,
     "script SCRIPT [ARCHIVE.sar]        parse an event script, list its events"},
    {"lw", lwCommand,
     "lw FILE.lws|.lwo [ARCHIVE.sar]      load a scene or object as the player does, print it"},
    {"pm", pmCommand,
     "pm [--export] [--max-error F] OBJECT.lwo [DIR]\n"
     "                                     make each polygon layer's progressive-mesh file"},
    {"picture", pictureCommand,
     "picture FILE OUT.png               decode a picture as the player does, write it as PNG"},
    {"check", checkCommand,
     "check ARCHIVE.sar [SCRIPT]         run a show's script without a device, list its problems"},
};

int usage(std::ostream& out) {
    out << "usage: nltool COMMAND ...\n";
    for (const Command& c : kCommands) out << "  nltool " << c.help << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage(std::cerr);
    if (!std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help")) {
        usage(std::cout);
        return 0;
    }
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        Args args(argv + 2, argv + argc);
        return c.run(args, std::cout, std::cerr);
    }
    std::cerr << "nltool: unknown command \"" << argv[1] << "\"\n";
    return usage(std::cerr);
}
