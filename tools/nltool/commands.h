#pragma once
// The subcommands of nltool. Each takes its arguments (after the subcommand
// name), writes its report to `out` and its errors to `err`, and returns the
// process exit code: 0 on success, 1 on failure, 2 on bad usage.

#include <ostream>
#include <string>
#include <vector>

using Args = std::vector<std::string>;

int packCommand(const Args& args, std::ostream& out, std::ostream& err);
int listCommand(const Args& args, std::ostream& out, std::ostream& err);
int extractCommand(const Args& args, std::ostream& out, std::ostream& err);
int verifyCommand(const Args& args, std::ostream& out, std::ostream& err);
int scriptCommand(const Args& args, std::ostream& out, std::ostream& err);
int pictureCommand(const Args& args, std::ostream& out, std::ostream& err);
int lwCommand(const Args& args, std::ostream& out, std::ostream& err);
int pmCommand(const Args& args, std::ostream& out, std::ostream& err);
int checkCommand(const Args& args, std::ostream& out, std::ostream& err);
