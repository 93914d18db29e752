#pragma once
#include <cstdarg>

namespace SOUI {

// The toolkit's diagnostics. Entries begin with Class::Method. The program
// decides where they go by connecting its own log at start-up; until then,
// and always in a module (loaded apart from the program), they are written
// to standard error.

// Wide entry; "%s" and "%c" take wide arguments.
void SLog(const wchar_t* format, ...);
// Narrow entry.
void SLogA(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Receives an entry's format and arguments.
using FnLogSinkW = void (*)(const wchar_t* format, va_list args);
using FnLogSinkA = void (*)(const char* format, va_list args);
// Process-wide; null for standard error again.
void SetLogSink(FnLogSinkW fnWide, FnLogSinkA fnNarrow);

// Standard error as the toolkit writes it: one entry is one line, written
// whole before any other thread's; line breaks that end a message end the entry, those
// inside it are written as "\n" and "\r", and every entry ends with a line
// feed.
// Wide, time-stamped: "[Y-MM-DD hh:mm:ss ms] " + message + "\n", cut at 4095
// characters.
void WriteStderrLineV(const wchar_t* format, va_list args);
// Narrow, in brackets without a stamp: "[" + message + "]\n", cut at 1023
// bytes.
void WriteStderrLineAV(const char* format, va_list args);
// A descriptor that takes every line standard error takes (a log file kept
// beside a terminal); -1 for none. Returns the one it replaces.
int SetStderrLineMirror(int fd);

}  // namespace SOUI
