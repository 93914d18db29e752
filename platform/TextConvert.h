#pragma once
#include <string>

// The "ANSI" side of the installer is UTF-8, as file names are: bytes. The
// conversions are lossless for such bytes: a byte that is not part of valid
// UTF-8 becomes U+DC80..U+DCFF in wide text and turns back into the same
// byte, so a path or a file's line survives narrow -> wide -> narrow
// unchanged, whatever its encoding.

// Wide (UCS-4) to UTF-8; U+DC80..U+DCFF give back their byte, other code
// points that are not characters become U+FFFD.
std::string WideToAnsi(const std::wstring& text);
// UTF-8 to wide; each byte of an invalid sequence becomes U+DC00 + byte,
// embedded zeros are kept.
std::wstring AnsiToWide(const std::string& text);
// Valid UTF-8 for the outside world (the statistics record): the input with
// every byte of an invalid sequence replaced by U+FFFD.
std::string AnsiToUtf8(const std::string& text);
