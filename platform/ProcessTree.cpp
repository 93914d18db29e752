#include "platform/ProcessTree.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <set>

#include "platform/ProcessFind.h"
#include "platform/WriteLog.h"

namespace {

// Each pass looks at /proc once; a stopped process cannot fork, so only
// children forked while the tree was being stopped need another pass.
constexpr int kMaxPasses = 8;

// Stops every process below the tree or in the group not yet in found.
bool StopNewMembers(std::set<pid_t>& found, pid_t group) {
    std::map<pid_t, CProcStat> table;
    for (pid_t pid : ListProcessIds()) {
        CProcStat stat;
        if (ReadProcStat(pid, stat))
            table[pid] = stat;
    }
    const pid_t self = getpid();
    bool bNew = false;
    // Children are not always listed after their parents: repeat until stable.
    for (bool bChanged = true; bChanged;) {
        bChanged = false;
        for (const auto& [pid, stat] : table) {
            if (pid == self || pid <= 1 || found.count(pid) != 0)
                continue;
            if (found.count(stat.nPpid) == 0 && !(group > 0 && stat.nPgrp == group))
                continue;
            found.insert(pid);
            kill(pid, SIGSTOP);
            bChanged = bNew = true;
        }
    }
    return bNew;
}

}  // namespace

int EndProcessTree(pid_t pid) {
    if (pid <= 1 || pid == getpid())
        return 0;
    // The group is ended as a whole only when pid leads it and it is not ours.
    const pid_t group = getpgid(pid) == pid && pid != getpgrp() ? pid : 0;
    if (group > 0)
        kill(-group, SIGSTOP);
    if (kill(pid, SIGSTOP) != 0) {
        if (errno != ESRCH)
            WriteLog(L"%s cannot stop pid=[%d] errno=[%d]", L"ProcessTree::EndProcessTree",
                     static_cast<int>(pid), errno);
        return 0;
    }
    std::set<pid_t> found{pid};
    for (int pass = 0; pass < kMaxPasses && StopNewMembers(found, group); ++pass) {
    }
    for (pid_t member : found)
        kill(member, SIGKILL);
    if (group > 0)
        kill(-group, SIGKILL);
    return static_cast<int>(found.size());
}
