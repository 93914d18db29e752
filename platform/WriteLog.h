#pragma once
#include <cstdarg>

// Diagnostics channel: every entry goes to standard error, which stands in
// for the debugger output of the original platform. There an entry is one
// line, written in one system call: line breaks that end a message end the
// entry, those inside it are written as "\n" and "\r", and every entry
// ends with a line feed. Entries begin with Class::Method, or Unit::Function
// for a free function (the file that declares it).

// Wide, time-stamped line: "[Y-MM-DD hh:mm:ss ms] " + message + "\n". "%s"
// and "%c" take wide arguments, as the callers expect. Messages are cut at
// 4095 characters.
void WriteLog(const wchar_t* format, ...);

// Narrow line wrapped in brackets, no stamp: "[" + message + "]\n". Messages
// are cut at 1023 bytes.
void WriteLogA(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same with the arguments as a list: what the program connects the
// toolkit's diagnostics to.
void WriteLogV(const wchar_t* format, va_list args);
void WriteLogAV(const char* format, va_list args);

// Sends the log to a file as well: created afresh (the last run's entries
// only), mode 0600, never through a link. With bKeepStderr false standard
// error and standard output themselves are pointed at the file, so the
// libraries' messages and what the program starts land there too and the
// terminal stays quiet. False, with the reason on
// standard error, when the file cannot be opened; nothing changes then.
bool OpenLogFile(const char* pszPath, bool bKeepStderr);
