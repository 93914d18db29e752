#pragma once
// Diagnostics channel: every line goes to standard error, which stands in
// for the debugger output of the original platform.

// Wide, time-stamped line: "[Y-MM-DD hh:mm:ss ms] " + message + "\n", written
// as three pieces. "%s" and "%c" take wide arguments, as the callers expect.
// Messages are cut at 4095 characters.
void WriteLog(const wchar_t* format, ...);

// Narrow line wrapped in brackets, one write, no stamp and no line feed.
// Messages are cut at 1023 bytes.
void WriteLogA(const char* format, ...) __attribute__((format(printf, 1, 2)));
