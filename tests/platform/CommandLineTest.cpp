#include <gtest/gtest.h>

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
