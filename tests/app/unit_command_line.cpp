// What the client makes of its command line (the runs are in
// integration_install.cpp).
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

CommandLineChoice Parse(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv { "korvana" };
    argv.insert(argv.end(), args.begin(), args.end());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, NoArgumentsRunsTheWindowAndTheOptionsAnswer)
{
    EXPECT_EQ(Parse({}).request, CommandLineRequest::Run);
    EXPECT_EQ(Parse({ "--version" }).request, CommandLineRequest::Version);
    EXPECT_EQ(Parse({ "-V" }).request, CommandLineRequest::Version);
    EXPECT_EQ(Parse({ "--help" }).request, CommandLineRequest::Help);
    EXPECT_EQ(Parse({ "-h" }).request, CommandLineRequest::Help);
    EXPECT_EQ(Parse({ "--version", "--help" }).request, CommandLineRequest::Help);
    EXPECT_EQ(Parse({ "--help", "--version" }).request, CommandLineRequest::Help);
    EXPECT_EQ(VersionText(), "Korvana云手机 1.0.1.5");
}

TEST(CommandLine, AnythingElseIsRefusedByName)
{
    for (auto args : { std::initializer_list<const char*> { "--verbose" }, { "-x" }, { "--version=1" },
             { "--" }, { "--version", "--bogus" } }) {
        const CommandLineChoice choice = Parse(args);
        EXPECT_EQ(choice.request, CommandLineRequest::Invalid);
        EXPECT_EQ(choice.error.rfind("unknown option '", 0), 0u) << choice.error;
    }
    const CommandLineChoice stray = Parse({ "file.txt" });
    EXPECT_EQ(stray.request, CommandLineRequest::Invalid);
    EXPECT_EQ(stray.error, "unexpected argument 'file.txt'");
    EXPECT_EQ(AnswerCommandLine(stray), 2);
}

} // namespace
