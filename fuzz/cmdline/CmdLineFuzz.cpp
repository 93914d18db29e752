// The command-line splitter, which turns the command lines of the install
// steps into argument vectors.
#include "fuzz/FuzzSupport.h"
#include "platform/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string line(FuzzBytes(pData, nSize));
    const std::vector<std::string> args = SplitCommandLine(line);
    // Every argument but the program is made of at least one character of
    // the line, and no argument holds more characters than the line.
    FUZZ_CHECK(args.size() <= line.size());
    size_t nTotal = 0;
    for (const std::string& arg : args) {
        nTotal += arg.size();
    }
    FUZZ_CHECK(nTotal <= line.size());
    // Splitting what the quoting made of the arguments gives them back.
    if (!args.empty()) {
        FUZZ_CHECK(SplitCommandLine(QuoteCommandLine(args)) == args);
    }
    return 0;
}
