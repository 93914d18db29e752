#include "platform/CommandLine.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> args;
    const size_t n = commandLine.size();
    size_t i = 0;
    while (i < n && IsBlank(commandLine[i]))
        ++i;
    if (i >= n)
        return args;

    std::string program;
    bool inQuotes = false;
    for (; i < n; ++i) {
        char c = commandLine[i];
        if (c == '"') {
            // A doubled quote inside quotes is the only way to name a program
            // whose path holds a quote.
            if (inQuotes && i + 1 < n && commandLine[i + 1] == '"') {
                program.push_back('"');
                ++i;
                continue;
            }
            inQuotes = !inQuotes;
            continue;
        }
        if (!inQuotes && IsBlank(c))
            break;
        program.push_back(c);
    }
    args.push_back(std::move(program));

    for (;;) {
        while (i < n && IsBlank(commandLine[i]))
            ++i;
        if (i >= n)
            break;
        std::string arg;
        inQuotes = false;
        while (i < n) {
            char c = commandLine[i];
            if (c == '\\') {
                size_t slashes = 0;
                while (i < n && commandLine[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && commandLine[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        arg.push_back('"');
                        ++i;
                    }
                    // An even count leaves the quote to the code below.
                } else {
                    arg.append(slashes, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (inQuotes && i + 1 < n && commandLine[i + 1] == '"') {
                    arg.push_back('"');
                    i += 2;
                    continue;
                }
                inQuotes = !inQuotes;
                ++i;
                continue;
            }
            if (!inQuotes && IsBlank(c))
                break;
            arg.push_back(c);
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::string QuoteProgram(const std::string& program) {
    std::string out = "\"";
    for (char c : program) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

std::string QuoteArgument(const std::string& arg) {
    std::string out = "\"";
    const size_t n = arg.size();
    for (size_t i = 0;; ++i) {
        size_t slashes = 0;
        while (i < n && arg[i] == '\\') {
            ++slashes;
            ++i;
        }
        if (i == n) {
            // The closing quote follows: each backslash must count as one.
            out.append(slashes * 2, '\\');
            break;
        }
        if (arg[i] == '"') {
            out.append(slashes * 2 + 1, '\\');
        } else {
            out.append(slashes, '\\');
        }
        out.push_back(arg[i]);
    }
    out.push_back('"');
    return out;
}

std::string QuoteCommandLine(const std::vector<std::string>& args) {
    if (args.empty())
        return std::string();
    std::string line = QuoteProgram(args[0]);
    for (size_t i = 1; i < args.size(); ++i) {
        line.push_back(' ');
        line += QuoteArgument(args[i]);
    }
    return line;
}
