#pragma once
#include <cstdint>
#include <string>

class CCancelToken;

// Results of RunAndCapture besides the child's own exit code.
enum : int {
    kRunPipeFailed = -1,   // output: "create pipe error code=[%d]"
    kRunSpawnFailed = -2,  // output: "CreateProcessA error code=[%d]" (2: no such program)
    kRunTimedOut = -3,     // the child outlived the time-out or the token fired; it was killed
};

// Starts a program and returns at once; the child runs on by itself (its
// own session, reaped in the background). When the installer runs as root
// on someone's behalf (sudo, pkexec), the program runs as that user
// (InvokingUser.h): their uid, gid, groups and HOME. The command line is split by the
// Windows rules (CommandLine.h); a first token without '/' is looked up on
// PATH. False, with "CreateProcess failed. Error: %d" on standard error, when
// the program cannot be started. The line is not changed; it is writable
// only because callers written for the original platform pass it so.
bool LaunchProcess(std::wstring& commandLine);

// Runs a program with standard input from /dev/null and standard output and
// standard error in one pipe, collects what it writes into output (its
// first and last 512 KiB, with a line between saying how many bytes were
// dropped, so that a chatty child costs little memory) and returns
// its exit code (128 + signal for a child ended by a signal). Each read takes
// only what is waiting and keeps its text up to its first zero byte. The run
// ends when the child ends, even if a grandchild holds the pipe; what is
// waiting then is still read. The child runs in a process group of its own.
// A child still running after timeoutMs, or when pCancel fires, is killed
// together with everything it started (EndProcessTree) and the result is
// kRunTimedOut; output keeps what was read by then. On kRunSpawnFailed,
// *pSpawnErr (when given) is the errno of the failed start, else 0.
int RunAndCapture(const std::string& commandLine, std::string& output, uint32_t timeoutMs,
                  const CCancelToken* pCancel = nullptr, int* pSpawnErr = nullptr);
