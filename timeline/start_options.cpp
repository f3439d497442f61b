#include "start_options.h"

#include "files/text_tokenizer.h"

#include <cstdlib>

bool parseStartTime(const std::string& text, double& seconds) {
    if (text.empty() || text.find_first_not_of("0123456789.:") != std::string::npos) return false;
    if (text.find_first_of("0123456789") == std::string::npos) return false;
    if (text.find(':') != std::string::npos) {
        seconds = parseTimeToken(text.c_str()) / 1000.0;
        return true;
    }
    if (text.find('.') != text.rfind('.')) return false; // "1.2.3"
    seconds = std::strtod(text.c_str(), nullptr);
    return true;
}

bool parseStartOptions(const std::vector<std::string>& args, StartOptions& out,
                       std::string& error) {
    StartOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--start") {
            if (i + 1 >= args.size()) {
                error = "--start needs a time: seconds (83.04) or minutes:seconds.milliseconds "
                        "(1:23.040)";
                return false;
            }
            if (!parseStartTime(args[++i], o.startSeconds)) {
                error = "--start: \"" + args[i] +
                        "\" is not a time: give seconds (83.04) or "
                        "minutes:seconds.milliseconds (1:23.040)";
                return false;
            }
            o.haveStart = true;
        } else if (a == "--loose") {
            o.looseFirst = true;
        } else {
            error = "unknown option \"" + a + "\" (the player takes --start T and --loose)";
            return false;
        }
    }
    out = o;
    return true;
}
