// The Windows program's command line, split as the C runtime splits it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/command_line.h"

namespace {

using Args = std::vector<std::string>;

TEST(Win32CommandLine, SplitsAsTheRuntimeDoes) {
    EXPECT_EQ(win32::splitCommandLine(""), Args{});
    EXPECT_EQ(win32::splitCommandLine("  --trace\tC:\\logs\\t.log "), (Args{"--trace", "C:\\logs\\t.log"}));
    EXPECT_EQ(win32::splitCommandLine("--trace \"C:\\My Logs\\t.log\""), (Args{"--trace", "C:\\My Logs\\t.log"}));
    EXPECT_EQ(win32::splitCommandLine("a\\\\\"b c\" d"), (Args{"a\\b c", "d"}));
    EXPECT_EQ(win32::splitCommandLine("a\\\"b \"x\"\"y\" \"\""), (Args{"a\"b", "x\"y", ""}));
}

TEST(Win32CommandLine, TakesOnlyTheTrace) {
    EXPECT_EQ(win32::programArguments({"/S", "--trace", "t.log", "x"}).tracePath, "t.log");
    EXPECT_EQ(win32::programArguments({"--trace=C:\\t.log"}).tracePath, "C:\\t.log");
    EXPECT_TRUE(win32::programArguments({"--trace"}).traceWithoutFile);
    const win32::ProgramArguments none = win32::programArguments({"anything", "else"});
    EXPECT_EQ(none.tracePath, "");
    EXPECT_FALSE(none.traceWithoutFile);
}

}  // namespace
