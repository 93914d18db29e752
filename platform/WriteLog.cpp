#include "platform/WriteLog.h"

#include "toolkit/core/SLog.h"

// The entries are the toolkit's standard error lines, so that the two never
// differ in form.

void WriteLogV(const wchar_t* format, va_list args) {
    SOUI::WriteStderrLineV(format, args);
}

void WriteLogAV(const char* format, va_list args) {
    SOUI::WriteStderrLineAV(format, args);
}

void WriteLog(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLogV(format, args);
    va_end(args);
}

void WriteLogA(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLogAV(format, args);
    va_end(args);
}
