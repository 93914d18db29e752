// Quoting, the inverse of the command-line splitter: the command lines of
// the install steps carry folder names whatever bytes they hold. The input
// is the argument list, zero-separated, the program first.
#include "fuzz/FuzzSupport.h"
#include "platform/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    std::string_view input = FuzzBytes(pData, nSize);
    std::vector<std::string> args;
    do {
        args.emplace_back(FuzzTakeField(input, '\0'));
    } while (!input.empty());
    FUZZ_CHECK(SplitCommandLine(QuoteCommandLine(args)) == args);

    // A folder after a switch, as the package's /DIR= takes it: one token.
    const std::string strFolder = args.back();
    const std::vector<std::string> split =
        SplitCommandLine(QuoteProgram(args[0]) + " /VERYSILENT /DIR=" + QuoteArgument(strFolder));
    FUZZ_CHECK(split.size() == 3 && split[0] == args[0] && split[2] == "/DIR=" + strFolder);
    return 0;
}
