#pragma once
#include <string>
#include <vector>

// Splits a command line into arguments the way the Windows C runtime does,
// so command lines written for the original installer keep their meaning:
// - blanks and tabs separate arguments outside quotes;
// - a quote toggles quoting and is dropped ("/DIR=\"a b\"" is "/DIR=a b");
// - backslashes are literal unless a quote follows: 2n of them give n and the
//   quote toggles, 2n+1 give n and a literal quote;
// - inside quotes a doubled quote is a literal quote;
// - an unterminated quote runs to the end; "" is an empty argument.
// The first token, the program, only knows quotes: its backslashes are
// literal, and inside quotes a doubled quote is a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The inverses of the splitter, for command lines that must carry any folder
// name whatever bytes it holds (quotes, backslashes, blanks, tabs).
// SplitCommandLine(QuoteCommandLine(args)) == args for every non-empty args.
std::string QuoteCommandLine(const std::vector<std::string>& args);
// The program token: in quotes, every quote in it doubled.
std::string QuoteProgram(const std::string& program);
// One argument after the program, in quotes; it may also follow a prefix in
// the same token ("/DIR=" + QuoteArgument(folder) reads back as one argument).
std::string QuoteArgument(const std::string& arg);
