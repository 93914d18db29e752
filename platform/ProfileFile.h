#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// INI files read and written with the rules of the Windows profile functions,
// so that files made for the original installer mean the same here:
// - section and key names match regardless of case and are trimmed; text
//   after ']' is ignored; a line without ']' is no header;
// - blanks and tabs around names, around '=' and at both ends of a value are
//   dropped; a value that then starts and ends with the same quote (" or ')
//   loses that pair; "x ; y" is a value, lines starting with ';' are comments;
// - the first of two equal keys wins, only the first matching section is
//   searched, keys before any header do not count, a line splits at its first
//   '=', LF, CRLF and a lone CR end lines;
// - files are UTF-8 (a BOM is skipped) or UTF-16 with a BOM; bytes that are
//   neither are kept (see TextConvert.h) and written back unchanged;
// - only regular files are read: a FIFO, a device or a folder reads as
//   missing, with a log line, and never blocks.

// The value, or def when the file, section or key is missing; an empty value
// stays empty. The result is cut to capacity - 1 characters (the default too).
std::wstring ProfileReadString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& def, size_t capacity, const std::wstring& path);

// Missing key or empty value: def. Otherwise leading blanks, an optional sign
// and the digits up to the first non-digit, wrapping modulo 2^32 ("-5" is
// 4294967291); no digits give 0.
uint32_t ProfileReadInt(const std::wstring& section, const std::wstring& key, uint32_t def,
                        const std::wstring& path);

// Sets the keys in the section, in the given order: an existing key has its
// line replaced, a new one goes after the section's last entry, a missing
// section is appended. Everything else, byte for byte, the encoding and the
// line ends are kept; a missing file is created. A value with blanks at an
// end, or inside a pair of quotes, is written in quotes so it reads back
// whole. The file is replaced through a temporary file and a rename, so it
// is never left half written (a full disk leaves the old file whole). A
// symbolic link at the path is replaced by the new file: its target is
// neither read nor written. False (and a log
// line) when the file cannot be read or written, or when a name or value
// would not read back as written (line breaks, '=' in a key, ']' in a section).
bool ProfileWriteStrings(const std::wstring& path, const std::wstring& section,
                         const std::vector<std::pair<std::wstring, std::wstring>>& keyValues);

// The rules above on text already in memory; exposed for the reader's tests.
bool FindProfileValue(const std::wstring& text, const std::wstring& section,
                      const std::wstring& key, std::wstring& value);
uint32_t ParseProfileInt(const std::wstring& value);
