#pragma once
#include <spawn.h>
#include <sys/types.h>

#include <string>
#include <vector>

// posix_spawn with signal defaults restored, inherited descriptors beyond the
// standard three closed, and PATH lookup for a program without '/'.
// Returns 0 or the errno of the failure (ENOENT for a missing program).
int SpawnProgram(const std::vector<std::string>& args, posix_spawn_file_actions_t* pActions,
                 short extraFlags, pid_t& pid);

struct CInvokingUser;

// Starts args as LaunchProcess does (a session of its own, standard input
// from /dev/null, signal defaults, no inherited descriptors beyond the
// standard three) but as user: their groups, gid and uid, and HOME, USER
// and LOGNAME set to theirs. The identity is changed before the program is
// run; a failure to change it or to run the program is returned as its
// errno and nothing runs, certainly not as root.
int SpawnProgramAs(const std::vector<std::string>& args, const CInvokingUser& user, pid_t& pid);
