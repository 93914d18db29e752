#pragma once
#include <sys/types.h>

// Ends a process and everything it started: its descendants (also those
// that left for a session of their own) and, when it leads a process group,
// every member of that group. The whole tree is stopped first so that none
// of it can fork past the kill. Never signals the calling process, init or
// the caller's own group as a whole. Returns how many processes were
// signalled: 0 when pid is gone or may not be signalled (logged).
int EndProcessTree(pid_t pid);
