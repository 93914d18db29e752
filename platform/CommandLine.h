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
// The first token, the program, only knows quotes: its backslashes are literal.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
