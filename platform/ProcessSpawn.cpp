#include "platform/ProcessSpawn.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

int SpawnProgram(const std::vector<std::string>& args, posix_spawn_file_actions_t* pActions,
                 short extraFlags, pid_t& pid) {
    if (args.empty() || args[0].empty())
        return ENOENT;
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // The child must not inherit an ignored SIGPIPE or a blocked mask from us.
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attr, &all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | extraFlags);

    posix_spawn_file_actions_t localActions;
    if (!pActions) {
        posix_spawn_file_actions_init(&localActions);
        pActions = &localActions;
    }
    posix_spawn_file_actions_addclosefrom_np(pActions, 3);

    const bool bSearchPath = args[0].find('/') == std::string::npos;
    int rc = bSearchPath ? posix_spawnp(&pid, argv[0], pActions, &attr, argv.data(), environ)
                         : posix_spawn(&pid, argv[0], pActions, &attr, argv.data(), environ);
    if (pActions == &localActions)
        posix_spawn_file_actions_destroy(&localActions);
    posix_spawnattr_destroy(&attr);
    return rc;
}
