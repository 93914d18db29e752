#include "platform/ProcessFind.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/TextConvert.h"

namespace {

constexpr size_t kCommLength = 15;

std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The loader's argv[0] is the Windows path of the program it runs.
std::string WindowsBaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsCompatibilityLoader(const std::string& exeBase) {
    return exeBase == "wine" || exeBase == "wine64" || exeBase == "wine-preloader" ||
           exeBase == "wine64-preloader";
}

// A regular file that starts with "#!". Anything else named in another
// process's arguments (a device, a FIFO) is never opened.
bool IsScriptFile(const std::string& path) {
    struct stat before {};
    if (stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode))
        return false;
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    char head[2] = {};
    bool bScript = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                   read(fd, head, sizeof(head)) == 2 && head[0] == '#' && head[1] == '!';
    close(fd);
    return bScript;
}

std::string ReadProcFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CProcessNames ReadNames(const std::string& procDir) {
    CProcessNames names;
    char target[4096];
    ssize_t n = readlink((procDir + "/exe").c_str(), target, sizeof(target) - 1);
    if (n > 0) {
        names.strExePath.assign(target, static_cast<size_t>(n));
        // The kernel marks a program whose file is gone; a program may also
        // really be called so. Only a name that is not the running file
        // loses the mark.
        const std::string deleted = " (deleted)";
        struct stat running {};
        struct stat named {};
        if (names.strExePath.ends_with(deleted) &&
            !(stat((procDir + "/exe").c_str(), &running) == 0 &&
              stat(names.strExePath.c_str(), &named) == 0 && running.st_dev == named.st_dev &&
              running.st_ino == named.st_ino))
            names.strExePath.resize(names.strExePath.size() - deleted.size());
    }
    names.strComm = ReadProcFile(procDir + "/comm");
    if (!names.strComm.empty() && names.strComm.back() == '\n')
        names.strComm.pop_back();
    std::string cmdline = ReadProcFile(procDir + "/cmdline");
    size_t pos = 0;
    while (pos < cmdline.size() && names.vecArgs.size() < 3) {
        size_t end = cmdline.find('\0', pos);
        if (end == std::string::npos)
            end = cmdline.size();
        names.vecArgs.push_back(cmdline.substr(pos, end - pos));
        pos = end + 1;
    }
    // The kernel starts a script as "interpreter [option] script ...".
    for (size_t i = 1; i < names.vecArgs.size(); ++i) {
        const std::string& arg = names.vecArgs[i];
        if (!arg.empty() && IsScriptFile(arg[0] == '/' ? arg : procDir + "/cwd/" + arg)) {
            names.strScript = arg;
            break;
        }
    }
    return names;
}

}  // namespace

bool ReadProcStat(pid_t pid, CProcStat& stat) {
    // "pid (comm) S ppid pgrp ...": the comm may hold blanks and parentheses,
    // so the fields are counted from the last ')'.
    const std::string text = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = text.rfind(')');
    if (paren == std::string::npos)
        return false;
    std::istringstream fields(text.substr(paren + 1));
    long ppid = 0, pgrp = 0;
    if (!(fields >> stat.cState >> ppid >> pgrp))
        return false;
    stat.nPpid = static_cast<pid_t>(ppid);
    stat.nPgrp = static_cast<pid_t>(pgrp);
    return true;
}

std::vector<pid_t> ListProcessIds() {
    std::vector<pid_t> pids;
    DIR* proc = opendir("/proc");
    if (!proc)
        return pids;
    while (dirent* entry = readdir(proc)) {
        const char* p = entry->d_name;
        if (!*p || !std::all_of(p, p + strlen(p),
                                [](char c) { return isdigit(static_cast<unsigned char>(c)); }))
            continue;
        pids.push_back(static_cast<pid_t>(strtol(p, nullptr, 10)));
    }
    closedir(proc);
    std::sort(pids.begin(), pids.end());
    return pids;
}

bool ProcessNameMatches(const std::string& exeName, const CProcessNames& names) {
    if (exeName.empty())
        return false;
    // What cannot be told apart is not ours to end.
    if (names.strExePath.empty())
        return false;
    const std::string exeBase = BaseName(names.strExePath);
    if (exeBase == exeName)
        return true;
    // Any program may rename itself; only a script run under the name, or
    // a Windows program under the compatibility loader, counts as it.
    if (names.strComm != exeName.substr(0, kCommLength))
        return false;
    if (IsCompatibilityLoader(exeBase))
        return !names.vecArgs.empty() && WindowsBaseName(names.vecArgs[0]) == exeName;
    return !names.strScript.empty() && BaseName(names.strScript) == exeName;
}

bool FindProcessByName(const std::wstring& exeName, uint32_t& processId) {
    const std::string name = WideToAnsi(exeName);
    for (pid_t pid : ListProcessIds()) {
        // A process may end while it is looked at; its files then read empty.
        CProcStat stat;
        if (!ProcessNameMatches(name, ReadNames("/proc/" + std::to_string(pid))) ||
            !ReadProcStat(pid, stat) || stat.cState == 'Z')
            continue;
        processId = static_cast<uint32_t>(pid);
        return true;
    }
    return false;
}
