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
