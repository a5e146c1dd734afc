#include "app/CommandLine.h"

#include <cstdio>

#include "app/BuildConfig.h"

CommandLineChoice ParseCommandLine(int argc, const char* const* argv)
{
    CommandLineChoice choice;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] != nullptr ? argv[i] : "";
        CommandLineRequest request = CommandLineRequest::Invalid;
        if (arg == "--version" || arg == "-V")
            request = CommandLineRequest::Version;
        else if (arg == "--help" || arg == "-h")
            request = CommandLineRequest::Help;
        if (request == CommandLineRequest::Invalid) {
            choice.request = CommandLineRequest::Invalid;
            choice.error = (!arg.empty() && arg[0] == '-') ? "unknown option '" + arg + "'"
                                                           : "unexpected argument '" + arg + "'";
            return choice;
        }
        // --help wins over --version, whatever the order.
        if (choice.request != CommandLineRequest::Help)
            choice.request = request;
    }
    return choice;
}

std::string VersionText()
{
    return std::string("Korvana云手机 ") + korvana::build::kVersionText;
}

std::string HelpText()
{
    return "Usage: korvana [OPTION]\n"
           "The desktop client of the Korvana cloud-phone service. Without an option it\n"
           "opens its window (or tells an already running copy's user so).\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "  -V, --version  show the version and exit\n"
           "\n"
           "Files: the per-user folder $XDG_DATA_HOME/korvanClient/ (else\n"
           "~/.local/share/korvanClient/) and the autostart entry\n"
           "$XDG_CONFIG_HOME/autostart/korvanClient.desktop.\n";
}

int AnswerCommandLine(const CommandLineChoice& choice)
{
    switch (choice.request) {
    case CommandLineRequest::Version:
        std::printf("%s\n", VersionText().c_str());
        return 0;
    case CommandLineRequest::Help:
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    case CommandLineRequest::Invalid:
        std::fprintf(
            stderr, "korvana: %s\nTry 'korvana --help' for more information.\n", choice.error.c_str());
        return 2;
    case CommandLineRequest::Run:
        break;
    }
    return 0;
}
