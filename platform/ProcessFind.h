#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// What /proc tells about one process, for matching it by executable name.
struct CProcessNames {
    std::string strExePath;            // target of the exe link; empty if unreadable
    std::string strComm;               // the kernel's name, at most 15 bytes
    std::vector<std::string> vecArgs;  // the first arguments of cmdline
    std::string strScript;             // argv[1] or argv[2] when that file starts with "#!"
};

// The executable's file name is the exe link's. A process whose exe is
// something else matches only when it runs the name as a script (comm is
// the name, and so is the script's, argv[1] or argv[2] after the
// interpreter and an option) or as a Windows program under Wine's loader (comm is the
// name, and argv[0] the program's Windows path): a program that merely
// renamed itself never matches, nor does one whose exe cannot be read.
bool ProcessNameMatches(const std::string& exeName, const CProcessNames& names);

// What /proc/<pid>/stat tells about a process's place in the process tree.
struct CProcStat {
    char cState = 0;  // 'R', 'S', 'Z' (zombie), ...
    pid_t nPpid = 0;
    pid_t nPgrp = 0;
};
// False when the process is gone.
bool ReadProcStat(pid_t pid, CProcStat& stat);
// Every process id /proc lists, ascending.
std::vector<pid_t> ListProcessIds();

// The lowest process id whose executable file name equals exeName exactly
// (case-sensitive). Zombies do not count.
bool FindProcessByName(const std::wstring& exeName, uint32_t& processId);
