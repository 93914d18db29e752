#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

// What /proc tells about one process, for matching it by executable name.
struct CProcessNames {
    std::string strExePath;            // target of the exe link; empty if unreadable
    std::string strComm;               // the kernel's name, at most 15 bytes
    std::vector<std::string> vecArgs;  // the first arguments of cmdline
};

// The executable's file name is the exe link's; for a script (run by an
// interpreter) or where the link cannot be read, it is the name the process
// was started as: its comm, completed from argv[0] or argv[1] when the name
// is longer than comm can hold.
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
