#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/ProfileFile.h"
#include "platform/TextConvert.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace std::string_literals;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::wstring Value(const std::wstring& text, const std::wstring& key,
                   const std::wstring& section = L"Config") {
    std::wstring value;
    if (!FindProfileValue(text, section, key, value))
        return L"<missing>";
    return value;
}

std::wstring WidePath(const fs::path& path) {
    return AnsiToWide(path.string());
}

}  // namespace

TEST(ProfileFile, SectionHeadersAndNames) {
    const std::wstring text =
        L"top=before any header\n"
        L"[ config ] trailing words\n"
        L"  Version\t =  1.2.3  \n"
        L"[Broken\n"
        L"still=inside config\n"
        L"[Other]\n"
        L"key=other\n"
        L"[CONFIG]\n"
        L"later=second section is not searched\n";
    EXPECT_EQ(Value(text, L"VERSION"), L"1.2.3");
    EXPECT_EQ(Value(text, L" version "), L"1.2.3");
    EXPECT_EQ(Value(text, L"still"), L"inside config");  // "[Broken" is no header
    EXPECT_EQ(Value(text, L"top"), L"<missing>");
    EXPECT_EQ(Value(text, L"key"), L"<missing>");
    EXPECT_EQ(Value(text, L"later"), L"<missing>");
    EXPECT_EQ(Value(text, L"key", L"other"), L"other");
    EXPECT_EQ(Value(text, L"x", L"Missing"), L"<missing>");
    EXPECT_EQ(Value(L"", L"x"), L"<missing>");
}

TEST(ProfileFile, ValuesTrimmedUnquotedAndSplitAtFirstEquals) {
    const std::wstring text =
        L"[Config]\n"
        L"inner = a  b\t\n"
        L"quoted=\"  spaced  \"\n"
        L"single=' x '\n"
        L"mixed=\"x'\n"
        L"lone=\"\n"
        L"comment=x ; y\n"
        L"; commented=1\n"
        L"  ;alsocomment=1\n"
        L"url=http://h/p?a=b&c=d\n"
        L"empty=\n"
        L"emptyquotes=\"\"\n"
        L"noequals\n"
        L"=nokey\n"
        L"dup=first\n"
        L"Dup=second\n";
    EXPECT_EQ(Value(text, L"inner"), L"a  b");
    EXPECT_EQ(Value(text, L"quoted"), L"  spaced  ");
    EXPECT_EQ(Value(text, L"single"), L" x ");
    EXPECT_EQ(Value(text, L"mixed"), L"\"x'");
    EXPECT_EQ(Value(text, L"lone"), L"\"");
    EXPECT_EQ(Value(text, L"comment"), L"x ; y");
    EXPECT_EQ(Value(text, L"commented"), L"<missing>");
    EXPECT_EQ(Value(text, L";commented"), L"<missing>");
    EXPECT_EQ(Value(text, L"alsocomment"), L"<missing>");
    EXPECT_EQ(Value(text, L"url"), L"http://h/p?a=b&c=d");
    EXPECT_EQ(Value(text, L"empty"), L"");
    EXPECT_EQ(Value(text, L"emptyquotes"), L"");
    EXPECT_EQ(Value(text, L"noequals"), L"<missing>");
    EXPECT_EQ(Value(text, L"dup"), L"first");
}

TEST(ProfileFile, LineEndsOfEveryKind) {
    EXPECT_EQ(Value(L"[Config]\r\na=1\r\nb=2\r\n", L"b"), L"2");
    EXPECT_EQ(Value(L"[Config]\ra=1\rb=2", L"a"), L"1");
    EXPECT_EQ(Value(L"[Config]\ra=1\rb=2", L"b"), L"2");
    EXPECT_EQ(Value(L"[Config]\n\r\na=1\r\r\nb=2", L"b"), L"2");
}

TEST(ProfileFile, IntegerParsing) {
    EXPECT_EQ(ParseProfileInt(L"2"), 2u);
    EXPECT_EQ(ParseProfileInt(L"abc"), 0u);
    EXPECT_EQ(ParseProfileInt(L"2abc"), 2u);
    EXPECT_EQ(ParseProfileInt(L"-5"), 4294967291u);
    EXPECT_EQ(ParseProfileInt(L"+7"), 7u);
    EXPECT_EQ(ParseProfileInt(L"  \t12 34"), 12u);
    EXPECT_EQ(ParseProfileInt(L"-"), 0u);
    EXPECT_EQ(ParseProfileInt(L"4294967296"), 0u);
    EXPECT_EQ(ParseProfileInt(L"4294967297"), 1u);
    EXPECT_EQ(ParseProfileInt(L"0x10"), 0u);
}

TEST(ProfileFile, ReadersOnRealFiles) {
    TempDir dir;
    const std::wstring path = WidePath(dir / "Install.ini");
    // Missing file: defaults, also cut to the capacity.
    EXPECT_EQ(ProfileReadString(L"Config", L"version", L"0.0.0.0", 64, path), L"0.0.0.0");
    EXPECT_EQ(ProfileReadString(L"Config", L"version", L"0.0.0.0", 4, path), L"0.0");
    EXPECT_EQ(ProfileReadInt(L"Config", L"language", 1, path), 1u);

    WriteFile(dir / "Install.ini", "[Config]\nversion=" + std::string(100, '9') +
                                       "\nlanguage=\nchannel=渠道\nword=abc\n");
    EXPECT_EQ(ProfileReadString(L"Config", L"version", L"d", 64, path), std::wstring(63, L'9'));
    EXPECT_EQ(ProfileReadString(L"Config", L"version", L"d", 1, path), L"");
    EXPECT_EQ(ProfileReadString(L"Config", L"version", L"d", 0, path), L"");
    EXPECT_EQ(ProfileReadString(L"Config", L"channel", L"10", 1024, path), L"渠道");
    EXPECT_EQ(ProfileReadInt(L"Config", L"language", 1, path), 1u);  // empty value
    EXPECT_EQ(ProfileReadInt(L"Config", L"word", 1, path), 0u);
    EXPECT_EQ(ProfileReadInt(L"Config", L"missing", 9, path), 9u);
}

TEST(ProfileFile, EncodingsOnDisk) {
    TempDir dir;
    const std::wstring path = WidePath(dir / "a.ini");
    WriteFile(dir / "a.ini", "\xEF\xBB\xBF[Config]\nlang=中文\n");
    EXPECT_EQ(ProfileReadString(L"config", L"lang", L"", 64, path), L"中文");

    // UTF-16LE with BOM: "[Config]\r\nk=中\r\n"
    std::string utf16 = "\xFF\xFE";
    for (wchar_t c : std::wstring(L"[Config]\r\nk=中😀\r\n")) {
        uint32_t u = static_cast<uint32_t>(c);
        if (u >= 0x10000) {
            u -= 0x10000;
            uint32_t hi = 0xD800 + (u >> 10), lo = 0xDC00 + (u & 0x3FF);
            utf16 += {static_cast<char>(hi & 0xFF), static_cast<char>(hi >> 8),
                      static_cast<char>(lo & 0xFF), static_cast<char>(lo >> 8)};
        } else {
            utf16 += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        }
    }
    WriteFile(dir / "a.ini", utf16);
    EXPECT_EQ(ProfileReadString(L"Config", L"k", L"", 64, path), L"中😀");

    // Bytes that are no UTF-8 are kept, never fatal.
    WriteFile(dir / "a.ini",
              "[Config]\nk=a\xFF"
              "b\n");
    EXPECT_EQ(ProfileReadString(L"Config", L"k", L"", 64, path),
              L"a\xDCFF"
              L"b");
}

// Whatever lies at the name, the reader answers at once: a FIFO nobody
// writes to or a device gives the default, never a hang.
TEST(ProfileFile, AnythingButAFileGivesTheDefaultAtOnce) {
    TempDir dir;
    fs::create_directories(dir / "folder.ini");
    ASSERT_EQ(mkfifo((dir / "fifo.ini").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", dir / "device.ini");
    fs::create_symlink(dir / "fifo.ini", dir / "link-to-fifo.ini");
    for (const char* name : {"folder.ini", "fifo.ini", "device.ini", "link-to-fifo.ini"}) {
        testsupport::StderrCapture capture;
        EXPECT_EQ(ProfileReadString(L"Config", L"k", L"def", 64, WidePath(dir / name)), L"def");
        EXPECT_EQ(ProfileReadInt(L"Config", L"n", 7, WidePath(dir / name)), 7u);
        EXPECT_NE(capture.Text().find("ProfileReadString"), std::string::npos) << name;
    }
}

TEST(ProfileWrite, CreatesTheFile) {
    TempDir dir;
    const fs::path file = dir / "user.ini";
    ASSERT_TRUE(
        ProfileWriteStrings(WidePath(file), L"Config", {{L"channel", L"10"}, {L"language", L"2"}}));
    EXPECT_EQ(ReadFile(file), "[Config]\nchannel=10\nlanguage=2\n");
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST(ProfileWrite, ReplacesAndAddsKeepingEverythingElse) {
    TempDir dir;
    const fs::path file = dir / "user.ini";
    WriteFile(file,
              "; user settings\r\n"
              "[Other]\r\n"
              "channel=keep me\r\n"
              "\r\n"
              "[config]\r\n"
              "Channel = 3 \r\n"
              "theme=dark\r\n"
              "\r\n"
              "[Last]\r\n"
              "x=1");
    ASSERT_TRUE(
        ProfileWriteStrings(WidePath(file), L"Config", {{L"channel", L"12"}, {L"language", L"1"}}));
    EXPECT_EQ(ReadFile(file),
              "; user settings\r\n"
              "[Other]\r\n"
              "channel=keep me\r\n"
              "\r\n"
              "[config]\r\n"
              "channel=12\r\n"
              "theme=dark\r\n"
              "language=1\r\n"
              "\r\n"
              "[Last]\r\n"
              "x=1");

    // A new section goes at the end; a last line without an ending gets one.
    ASSERT_TRUE(ProfileWriteStrings(WidePath(file), L"New", {{L"k", L"v"}}));
    EXPECT_TRUE(ReadFile(file).ends_with("[Last]\r\nx=1\r\n[New]\r\nk=v\r\n")) << ReadFile(file);
    EXPECT_EQ(ProfileReadString(L"Config", L"channel", L"", 64, WidePath(file)), L"12");
}

TEST(ProfileWrite, KeepsEncodingAndMode) {
    TempDir dir;
    const fs::path file = dir / "real.ini";
    WriteFile(file, std::string("\xFF\xFE[\0C\0]\0\n\0", 10));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(ProfileWriteStrings(WidePath(file), L"C", {{L"k", L"中"}}));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(ReadFile(file), std::string("\xFF\xFE[\0C\0]\0\n\0k\0=\0\x2D\x4E\n\0", 18));
    EXPECT_EQ(ProfileReadString(L"C", L"k", L"", 8, WidePath(file)), L"中");
}

// The file may lie in a folder others can write: a link planted at its name
// is replaced by the new file; what it points to is neither read nor written.
TEST(ProfileWrite, LinkAtTheNameIsReplacedNeverFollowed) {
    TempDir dir;
    const fs::path outside = dir / "outside";
    fs::create_directories(outside / "folder");
    WriteFile(outside / "shadow", "root:secret:1\n[Config]\nchannel=9\n");
    const fs::path targets[] = {outside / "shadow", outside / "missing", outside / "folder"};
    for (const fs::path& target : targets) {
        const fs::path folder = dir / ("install-" + target.filename().string());
        fs::create_directories(folder);
        fs::create_symlink(target, folder / "user.ini");
        testsupport::StderrCapture capture;
        ASSERT_TRUE(ProfileWriteStrings(WidePath(folder / "user.ini"), L"Config",
                                        {{L"channel", L"10"}, {L"language", L"1"}}));
        EXPECT_FALSE(fs::is_symlink(folder / "user.ini")) << target;
        EXPECT_EQ(ReadFile(folder / "user.ini"), "[Config]\nchannel=10\nlanguage=1\n") << target;
        EXPECT_NE(capture.Text().find("is a link"), std::string::npos);
    }
    EXPECT_EQ(ReadFile(outside / "shadow"), "root:secret:1\n[Config]\nchannel=9\n");
    EXPECT_FALSE(fs::exists(outside / "missing"));
    EXPECT_TRUE(fs::is_empty(outside / "folder"));
}

// Lines the writer does not touch keep their bytes, whatever they are.
TEST(ProfileWrite, UntouchedBytesAreKeptExactly) {
    TempDir dir;
    const fs::path file = dir / "user.ini";
    struct Case {
        std::string before, after;
    };
    const Case cases[] = {
        // GBK text, a stray byte, a truncated sequence; the value replaced is
        // itself GBK.
        {"[Config]\nchannel=\xC7\xFE\xB5\xC0\nname=\xB0\xB2\xD7\xB0 \xFF x\n[Old]\nk=\xE5\xAE",
         "[Config]\nchannel=10\nname=\xB0\xB2\xD7\xB0 \xFF x\n[Old]\nk=\xE5\xAE"},
        // UTF-16LE with a lone surrogate and an odd last byte.
        {"\xFF\xFE[\0C\0o\0n\0f\0i\0g\0]\0\n\0x\0=\0\x00\xDC\n\0\x41"s,
         "\xFF\xFE[\0C\0o\0n\0f\0i\0g\0]\0\n\0x\0=\0\x00\xDC\n\0"
         "c\0h\0a\0n\0n\0e\0l\0=\0\x31\0\x30\0\n\0\x41"s},
        // The first line ends in a lone CR, and empty lines follow the
        // section: the new line must not join the CR to the next LF.
        {"[Config]\rlanguage=1\n\n[Old]\r\n", "[Config]\rlanguage=1\nchannel=10\r\n\n[Old]\r\n"},
    };
    for (const Case& c : cases) {
        WriteFile(file, c.before);
        ASSERT_TRUE(ProfileWriteStrings(WidePath(file), L"Config", {{L"channel", L"10"}}));
        EXPECT_EQ(ReadFile(file), c.after);
    }
    // A value that is no UTF-8 is written back as the same bytes.
    WriteFile(file, "[Config]\n");
    ASSERT_TRUE(ProfileWriteStrings(WidePath(file), L"Config",
                                    {{L"channel", AnsiToWide("\xC7\xFE\xB5\xC0")}}));
    EXPECT_EQ(ReadFile(file), "[Config]\nchannel=\xC7\xFE\xB5\xC0\n");
}

// A disk that fills up while the new file is written leaves the old one
// whole and no temporary file behind. The file size limit stands in for
// the full disk, in a child so that the test process keeps its own limits.
TEST(ProfileWrite, FullDiskLeavesTheOldFileWhole) {
    TempDir dir;
    const fs::path file = dir / "user.ini";
    const std::string old = "[Config]\nchannel=1\n[Big]\n" + std::string(3000, 'x') + "=1\n";
    WriteFile(file, old);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(ProfileWriteStrings(WidePath(file), L"Config", {{L"channel", L"10"}}) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "the write must fail";
    EXPECT_EQ(ReadFile(file), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ProfileWrite, RefusesWhatWouldNotReadBackAndLeavesTheFile) {
    TempDir dir;
    const fs::path file = dir / "user.ini";
    WriteFile(file, "[Config]\nchannel=1\n");
    const std::wstring path = WidePath(file);
    testsupport::StderrCapture capture;
    EXPECT_FALSE(ProfileWriteStrings(path, L"Config", {{L"channel", L"2\n[Evil]\nx=1"}}));
    EXPECT_FALSE(ProfileWriteStrings(path, L"Config", {{L"a=b", L"1"}}));
    EXPECT_FALSE(ProfileWriteStrings(path, L"Config", {{L"", L"1"}}));
    EXPECT_FALSE(ProfileWriteStrings(path, L"Con]fig", {{L"k", L"1"}}));
    EXPECT_FALSE(ProfileWriteStrings(path, L"", {{L"k", L"1"}}));
    EXPECT_NE(capture.Text().find("ProfileWriteStrings"), std::string::npos);
    EXPECT_EQ(ReadFile(file), "[Config]\nchannel=1\n");
}

TEST(ProfileWrite, FailedWriteLeavesNoFileAndSaysWhy) {
    TempDir dir;
    const fs::path file = dir / "missing folder" / "user.ini";
    testsupport::StderrCapture capture;
    EXPECT_FALSE(ProfileWriteStrings(WidePath(file), L"Config", {{L"channel", L"2"}}));
    EXPECT_NE(capture.Text().find("ProfileWriteStrings"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "missing folder"));

    // A folder in the file's place cannot be read as one: nothing is replaced.
    fs::create_directories(dir / "user.ini");
    EXPECT_FALSE(ProfileWriteStrings(WidePath(dir / "user.ini"), L"Config", {{L"channel", L"2"}}));
    EXPECT_TRUE(fs::is_directory(dir / "user.ini"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}
