#include <gtest/gtest.h>

#include <random>

#include "platform/CommandLine.h"

using Args = std::vector<std::string>;

TEST(CommandLine, BlanksTabsAndQuotes) {
    EXPECT_EQ(SplitCommandLine("prog a  b\tc"), (Args{"prog", "a", "b", "c"}));
    EXPECT_EQ(SplitCommandLine("  prog  "), (Args{"prog"}));
    EXPECT_EQ(SplitCommandLine(""), Args{});
    EXPECT_EQ(SplitCommandLine(" \t "), Args{});
    EXPECT_EQ(SplitCommandLine("setup.exe /S /DIR=\"/opt/my programs/Tovadoc\""),
              (Args{"setup.exe", "/S", "/DIR=/opt/my programs/Tovadoc"}));
    EXPECT_EQ(SplitCommandLine("p \"a b\"c\" d\""), (Args{"p", "a bc d"}));
}

TEST(CommandLine, EmptyAndUnterminatedQuotes) {
    EXPECT_EQ(SplitCommandLine("p \"\" x"), (Args{"p", "", "x"}));
    EXPECT_EQ(SplitCommandLine("p \"\""), (Args{"p", ""}));
    EXPECT_EQ(SplitCommandLine("p \"a b"), (Args{"p", "a b"}));
    EXPECT_EQ(SplitCommandLine("p \"a b   "), (Args{"p", "a b   "}));
    // Inside quotes a doubled quote is a literal one.
    EXPECT_EQ(SplitCommandLine("p \"a\"\"b\""), (Args{"p", "a\"b"}));
    EXPECT_EQ(SplitCommandLine("p \"\"\""), (Args{"p", "\""}));
}

TEST(CommandLine, BackslashesBeforeQuotes) {
    EXPECT_EQ(SplitCommandLine(R"(p a\b c\\d)"), (Args{"p", R"(a\b)", R"(c\\d)"}));
    EXPECT_EQ(SplitCommandLine(R"(p a\"b)"), (Args{"p", R"(a"b)"}));        // 1: literal quote
    EXPECT_EQ(SplitCommandLine(R"(p a\\"b c")"), (Args{"p", R"(a\b c)"}));  // 2: one, quote toggles
    EXPECT_EQ(SplitCommandLine(R"(p a\\\"b)"), (Args{"p", R"(a\"b)"}));     // 3: one and a quote
    EXPECT_EQ(SplitCommandLine(R"(p "C:\dir\\")"), (Args{"p", R"(C:\dir\)"}));
    EXPECT_EQ(SplitCommandLine(R"(p "a\"b" c)"), (Args{"p", R"(a"b)", "c"}));
    EXPECT_EQ(SplitCommandLine(R"(p trailing\)"), (Args{"p", R"(trailing\)"}));
}

TEST(CommandLine, ProgramKnowsOnlyQuotes) {
    EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\app.exe" x)"),
              (Args{R"(C:\Program Files\app.exe)", "x"}));
    EXPECT_EQ(SplitCommandLine(R"(C:\dir\\"x y" z)"), (Args{R"(C:\dir\\x y)", "z"}));
    EXPECT_EQ(SplitCommandLine("\"/opt/my dir/prog"), (Args{"/opt/my dir/prog"}));
    EXPECT_EQ(SplitCommandLine("\"\" a"), (Args{"", "a"}));
}

TEST(CommandLine, ProgramMayHoldAQuoteWhenDoubledInsideQuotes) {
    EXPECT_EQ(SplitCommandLine(R"("/in""st/setup" x)"), (Args{R"(/in"st/setup)", "x"}));
    EXPECT_EQ(SplitCommandLine(R"("a""" b)"), (Args{R"(a")", "b"}));
    // Outside quotes two quotes still open and close.
    EXPECT_EQ(SplitCommandLine(R"(a""b c)"), (Args{"ab", "c"}));
}

TEST(CommandLine, QuotingOfAwkwardArguments) {
    struct Case {
        Args args;
        std::string line;
    };
    const Case cases[] = {
        {{"/opt/my dir/p", "/DIR=/a b"}, R"("/opt/my dir/p" "/DIR=/a b")"},
        {{"p", R"(dir\)"}, R"("p" "dir\\")"},
        {{"p", R"(a"b)"}, R"("p" "a\"b")"},
        {{"p", R"(a\"b)"}, R"("p" "a\\\"b")"},
        {{"p", ""}, R"("p" "")"},
        {{R"(in"st)"}, R"("in""st")"},
        {{R"(C:\dir\)"}, R"("C:\dir\")"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QuoteCommandLine(c.args), c.line);
        EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
    }
    EXPECT_EQ(SplitCommandLine("p /DIR=" + QuoteArgument(R"(my "x" dir\)")),
              (Args{"p", R"(/DIR=my "x" dir\)"}));
    EXPECT_EQ(QuoteCommandLine({}), "");
}

// Any arguments at all come back exactly: random strings over an alphabet
// rich in what the rules treat specially.
TEST(CommandLine, SplitGivesBackWhatQuoteWasGiven) {
    const std::vector<std::string> alphabet = {"\"",   "\\",   " ", "\t",       "a",  "/", "\n",
                                               "\"\"", "\\\\", "é", "\xb0\xa1", "文", "=", "\xff"};
    std::mt19937 random(20240611);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n)(random); };
    for (int round = 0; round < 5000; ++round) {
        Args args(1 + pick(4));
        for (std::string& arg : args) {
            for (size_t n = pick(10); n > 0; --n)
                arg += alphabet[pick(alphabet.size() - 1)];
        }
        const std::string line = QuoteCommandLine(args);
        ASSERT_EQ(SplitCommandLine(line), args) << "line: " << line;
        // The same inside a prefixed token, as /DIR= carries a folder.
        ASSERT_EQ(SplitCommandLine("p /DIR=" + QuoteArgument(args[0])),
                  (Args{"p", "/DIR=" + args[0]}));
    }
}
