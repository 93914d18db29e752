#include "platform/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/ProfileText.h"
#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

namespace {

// Far above any real INI file; keeps a wrong path from filling memory.
constexpr off_t kMaxProfileBytes = 16 * 1024 * 1024;

enum class LoadResult { Ok, Missing, Link, Failed };

// A symbolic link is refused only when bNoFollow (the writer's case: the
// file is replaced, never the link's target read or written). A FIFO or a
// device is never opened for reading: it could block or have side effects.
LoadResult LoadBytes(const std::string& path, std::string& bytes, bool bNoFollow, struct stat& info,
                     const wchar_t* caller) {
    bytes.clear();
    if ((bNoFollow ? lstat(path.c_str(), &info) : stat(path.c_str(), &info)) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return LoadResult::Missing;
        WriteLog(L"%s cannot look at %s errno=[%d]", caller, AnsiToWide(path).c_str(), errno);
        return LoadResult::Failed;
    }
    if (bNoFollow && S_ISLNK(info.st_mode))
        return LoadResult::Link;
    if (!S_ISREG(info.st_mode)) {
        WriteLog(L"%s %s is not a regular file", caller, AnsiToWide(path).c_str());
        return LoadResult::Failed;
    }
    // Non-blocking: a FIFO swapped in since the look above must not hang us.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (bNoFollow ? O_NOFOLLOW : 0);
    int fd = open(path.c_str(), flags);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return LoadResult::Missing;
        if (bNoFollow && errno == ELOOP)
            return LoadResult::Link;
        WriteLog(L"%s cannot open %s errno=[%d]", caller, AnsiToWide(path).c_str(), errno);
        return LoadResult::Failed;
    }
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxProfileBytes) {
        WriteLog(L"%s %s is not a readable INI file", caller, AnsiToWide(path).c_str());
        close(fd);
        return LoadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n > 0) {
            bytes.append(buffer, static_cast<size_t>(n));
            if (bytes.size() > static_cast<size_t>(kMaxProfileBytes))
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            WriteLog(L"%s read %s failed errno=[%d]", caller, AnsiToWide(path).c_str(), errno);
            close(fd);
            return LoadResult::Failed;
        }
        break;
    }
    close(fd);
    return LoadResult::Ok;
}

// The first section of that name: index of its header and one past its last line.
bool FindSection(const CProfileText& text, const std::wstring& section, size_t& header,
                 size_t& end) {
    const std::wstring wanted = TrimProfileBlanks(section);
    std::wstring name;
    for (size_t i = 0; i < text.m_vecLines.size(); ++i) {
        if (!ParseProfileHeader(TrimProfileBlanks(text.m_vecLines[i].strText), name))
            continue;
        if (!ProfileNamesEqual(name, wanted))
            continue;
        header = i;
        end = i + 1;
        while (end < text.m_vecLines.size() &&
               !ParseProfileHeader(TrimProfileBlanks(text.m_vecLines[end].strText), name))
            ++end;
        return true;
    }
    return false;
}

bool HasLineBreak(const std::wstring& text) {
    return text.find_first_of(L"\r\n") != std::wstring::npos;
}

bool IsWritable(const std::wstring& section,
                const std::vector<std::pair<std::wstring, std::wstring>>& keyValues) {
    const std::wstring trimmedSection = TrimProfileBlanks(section);
    if (trimmedSection.empty() || HasLineBreak(section) || section.find(L']') != std::wstring::npos)
        return false;
    for (const auto& [key, value] : keyValues) {
        const std::wstring trimmedKey = TrimProfileBlanks(key);
        if (trimmedKey.empty() || trimmedKey[0] == L'[' || trimmedKey[0] == L';' ||
            key.find(L'=') != std::wstring::npos || HasLineBreak(key) || HasLineBreak(value))
            return false;
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A new file beside the target; created with 0666 so the umask applies as for
// any new file (changing the umask would race with other threads).
int CreateBeside(const std::string& path, std::string& temp) {
    static std::atomic<unsigned> s_nCounter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(s_nCounter++);
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Writes beside the target and renames over it, keeping the old file's mode
// and, where allowed, its owner (pOld: the old file, null when there was
// none). The rename replaces whatever is at the name, a link included.
bool ReplaceFile(const std::string& path, const std::string& bytes, const struct stat* pOld) {
    std::string temp;
    int fd = CreateBeside(path, temp);
    if (fd < 0) {
        WriteLog(L"%s cannot create a file beside %s errno=[%d]",
                 L"ProfileFile::ProfileWriteStrings", AnsiToWide(path).c_str(), errno);
        return false;
    }
    bool ok = true;
    if (pOld) {
        if (fchown(fd, pOld->st_uid, pOld->st_gid) != 0) {
            // Only root may give a file away; the writer then owns the new one.
        }
        ok = fchmod(fd, pOld->st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(fd, bytes) && fsync(fd) == 0;
    int savedErrno = errno;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp.c_str(), path.c_str()) == 0)
        return true;
    if (ok)
        savedErrno = errno;
    WriteLog(L"%s writing %s failed errno=[%d]", L"ProfileFile::ProfileWriteStrings",
             AnsiToWide(path).c_str(), savedErrno);
    unlink(temp.c_str());
    return false;
}

}  // namespace

namespace {

// The index of the key's first line in the section's first occurrence.
bool FindEntry(const CProfileText& lines, const std::wstring& section, const std::wstring& key,
               size_t& index, std::wstring& value) {
    size_t header = 0, end = 0;
    if (!FindSection(lines, section, header, end))
        return false;
    const std::wstring wanted = TrimProfileBlanks(key);
    std::wstring name;
    for (size_t i = header + 1; i < end; ++i) {
        if (ParseProfileEntry(TrimProfileBlanks(lines.m_vecLines[i].strText), name, value) &&
            ProfileNamesEqual(name, wanted)) {
            index = i;
            return true;
        }
    }
    return false;
}

std::wstring CutToCapacity(const std::wstring& text, size_t capacity) {
    if (capacity == 0)
        return std::wstring();
    return text.size() < capacity ? text : text.substr(0, capacity - 1);
}

// False when the file or the key is missing or the file cannot be read.
bool ReadValue(const std::wstring& section, const std::wstring& key, const std::wstring& path,
               std::wstring& value, const wchar_t* caller) {
    std::string bytes;
    struct stat info {};
    if (LoadBytes(WideToAnsi(path), bytes, false, info, caller) != LoadResult::Ok)
        return false;
    size_t index = 0;
    return FindEntry(CProfileText::Decode(bytes), section, key, index, value);
}

}  // namespace

bool FindProfileValue(const std::wstring& text, const std::wstring& section,
                      const std::wstring& key, std::wstring& value) {
    size_t index = 0;
    return FindEntry(CProfileText::FromText(text), section, key, index, value);
}

std::wstring ProfileReadString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& def, size_t capacity, const std::wstring& path) {
    std::wstring value;
    if (!ReadValue(section, key, path, value, L"ProfileFile::ProfileReadString"))
        value = def;
    return CutToCapacity(value, capacity);
}

uint32_t ProfileReadInt(const std::wstring& section, const std::wstring& key, uint32_t def,
                        const std::wstring& path) {
    std::wstring value;
    if (!ReadValue(section, key, path, value, L"ProfileFile::ProfileReadInt") || value.empty())
        return def;
    return ParseProfileInt(value);
}

bool ProfileWriteStrings(const std::wstring& path, const std::wstring& section,
                         const std::vector<std::pair<std::wstring, std::wstring>>& keyValues) {
    if (!IsWritable(section, keyValues)) {
        WriteLog(L"%s refuses section [%s]: a name or value would not read back",
                 L"ProfileFile::ProfileWriteStrings", section.c_str());
        return false;
    }
    const std::string target = WideToAnsi(path);
    // The file may lie in a folder others can write: a link planted at its
    // name is replaced by the new file, its target never read nor written.
    std::string bytes;
    struct stat info {};
    const LoadResult loaded =
        LoadBytes(target, bytes, true, info, L"ProfileFile::ProfileWriteStrings");
    if (loaded == LoadResult::Failed)
        return false;
    if (loaded == LoadResult::Link)
        WriteLog(L"%s %s is a link: replaced by a file, its target left alone",
                 L"ProfileFile::ProfileWriteStrings", path.c_str());
    CProfileText text = CProfileText::Decode(bytes);
    const std::wstring lineEnd = text.PreferredLineEnd();
    auto& lines = text.m_vecLines;

    size_t header = 0, end = 0;
    if (!FindSection(text, section, header, end)) {
        if (!lines.empty() && lines.back().strEnd.empty())
            lines.back().strEnd = lineEnd;
        lines.push_back({L"[" + TrimProfileBlanks(section) + L"]", lineEnd});
        header = lines.size() - 1;
        end = lines.size();
    }
    for (const auto& [key, value] : keyValues) {
        const std::wstring entry = FormatProfileEntry(key, value);
        size_t index = 0;
        std::wstring oldValue;
        if (FindEntry(text, section, key, index, oldValue)) {
            lines[index].strText = entry;
            continue;
        }
        // After the section's last non-blank line, so a blank separator stays last.
        size_t insertAt = end;
        while (insertAt > header + 1 && TrimProfileBlanks(lines[insertAt - 1].strText).empty())
            --insertAt;
        if (lines[insertAt - 1].strEnd.empty())
            lines[insertAt - 1].strEnd = lineEnd;
        // A lone CR before an empty line's LF would read back as one CRLF,
        // and that empty line would be gone.
        std::wstring entryEnd = lineEnd;
        if (entryEnd == L"\r" && insertAt < lines.size() && lines[insertAt].strText.empty() &&
            lines[insertAt].strEnd.starts_with(L"\n"))
            entryEnd = L"\r\n";
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), {entry, entryEnd});
        ++end;
    }
    return ReplaceFile(target, text.Encode(), loaded == LoadResult::Ok ? &info : nullptr);
}

uint32_t ParseProfileInt(const std::wstring& value) {
    size_t i = 0;
    while (i < value.size() && (value[i] == L' ' || value[i] == L'\t'))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == L'-' || value[i] == L'+'))
        negative = value[i++] == L'-';
    uint32_t number = 0;
    for (; i < value.size() && value[i] >= L'0' && value[i] <= L'9'; ++i)
        number = number * 10u + static_cast<uint32_t>(value[i] - L'0');
    return negative ? 0u - number : number;
}
