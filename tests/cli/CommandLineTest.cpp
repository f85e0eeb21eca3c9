// The console program's command line and its log record.

#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include "cli/PrintableText.h"
#include "cli/RunLog.h"

TEST(CommandLineTest, AcceptsTheDocumentedFormsOnly) {
    const struct {
        std::vector<std::string> arguments;
        bool accepted;
    } lines[] = {
        {{"install", "psip"}, true},
        {{"install", "auto", "--source", "K", "--dry-run", "--log", "L", "--json"}, true},
        {{"check", "twain", "--json", "--source", "K"}, true},
        {{"--help"}, true},
        {{"/?"}, true},
        {{"--version"}, true},
        {{}, false},
        {{"install"}, false},
        {{"install", "scanner"}, false},
        {{"check", "psip", "--dry-run"}, false},  // check never writes: nothing to rehearse
        {{"check", "psip", "--log", "L"}, true},
        {{"install", "psip", "--source"}, false},
        {{"install", "psip", "--source", ""}, false},
        {{"install", "psip", "--log", "a", "--log", "b"}, false},
        {{"install", "psip", "--force"}, false},
        {{"--version", "extra"}, false},
        {{"uninstall", "psip", "--dry-run", "--log", "L", "--json"}, true},
        {{"uninstall"}, false},
        {{"install", "auto", "--rollback", "--dry-run"}, true},
        {{"check", "auto", "--rollback"}, true},       // judges the installation it would make
        {{"uninstall", "auto", "--rollback"}, false},  // nothing to put back
    };
    for (const auto& line : lines) {
        CliOptions options;
        std::string error;
        EXPECT_EQ(ParseCommandLine(line.arguments, options, error), line.accepted)
            << (line.arguments.empty() ? "" : line.arguments[0]) << " " << line.arguments.size();
        EXPECT_EQ(error.empty(), line.accepted);
    }
    CliOptions options;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"install", "twain", "--source", "C:\\kit", "--dry-run", "--log",
                                  "\\\\srv\\log.txt", "--json"},
                                 options, error));
    EXPECT_EQ(options.command, CliCommand::Install);
    EXPECT_EQ(options.driver, &kTwainDriver);
    EXPECT_EQ(options.source, "C:\\kit");
    EXPECT_TRUE(options.dryRun);
    EXPECT_EQ(options.logPath, "\\\\srv\\log.txt");
    EXPECT_TRUE(options.json);
}

TEST(CommandLineTest, LogRecordsQuoteArgumentsAsACommandLineReadsThem) {
    EXPECT_EQ(QuoteArgument("psip"), "psip");
    EXPECT_EQ(QuoteArgument(""), "\"\"");
    EXPECT_EQ(QuoteArgument("C:\\My Kit\\"), "\"C:\\My Kit\\\\\"");
    EXPECT_EQ(QuoteArgument("a\"b"), "\"a\\\"b\"");
    EXPECT_EQ(QuoteArgument("C:\\x\\"), "C:\\x\\");
    const std::string record =
        RunLogRecord(RunLogHeader{"2026-12-07T18:00:00+09:00", "PC1", "admin", {"install", "a b"}},
                     {{&kPsipDriver, "3A5F"}, {&kTwainDriver, ""}}, {"step"}, 1);
    EXPECT_EQ(record,
              "=== 2026-12-07T18:00:00+09:00 PC1 admin\nschemaVersion 1, BrenwickCli 1.0.0.2\n"
              "kit: psip 3A5F, twain none\ncommand line: install \"a b\"\nstep\nexit code 1\n");
}

TEST(CommandLineTest, LinesForPeopleCarryNoControlCharacter) {
    EXPECT_EQ(PrintableText("a\tb\r\n\x1B[2J\x7F"), "a\\x09b\\x0d\\x0a\\x1b[2J\\x7f");
    EXPECT_EQ(PrintableText("通帳\xC2\x85\xE2\x80\xA8"
                            "C:\\x"),
              "通帳\\u0085\\u2028C:\\x");
    const std::string record = RunLogRecord(RunLogHeader{"t", "P\x1B", "u\n", {"x\ny"}}, {}, {}, 0);
    EXPECT_EQ(record,
              "=== t P\\x1b u\\x0a\nschemaVersion 1, BrenwickCli 1.0.0.2\nkit: none\n"
              "command line: x\\x0ay\nexit code 0\n");
}
