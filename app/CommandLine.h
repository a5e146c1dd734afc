#pragma once

#include <string>

// What the client's command line asks for. The client itself takes no
// arguments: a plain start runs the window; --version and --help answer on
// standard output and end at once, before anything is created or written.
enum class CommandLineRequest { Run, Version, Help, Invalid };

struct CommandLineChoice {
    CommandLineRequest request = CommandLineRequest::Run;
    std::string error; // for Invalid: the one-line complaint
};

CommandLineChoice ParseCommandLine(int argc, const char* const* argv);

// "Korvana云手机 1.0.1.5"
std::string VersionText();

// The usage text --help prints.
std::string HelpText();

// Exit code of a command line that does not run the window: 0 for
// --version and --help (printed to stdout), 2 for an invalid one (stderr).
// Only meaningful when the request is not Run.
int AnswerCommandLine(const CommandLineChoice& choice);
