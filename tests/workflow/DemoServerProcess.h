#pragma once
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace workflowtest {

// Folder of the test program, where the demo programs are built too.
std::filesystem::path BinDir();

// The demo server as a child process on a free loopback port. Its output
// goes to a log file; decoded statistics records to a JSON-lines file. In a
// sanitizer build, a report of the server fails the test when it stops.
class CDemoServerProcess {
public:
    CDemoServerProcess() = default;
    ~CDemoServerProcess();
    CDemoServerProcess(const CDemoServerProcess&) = delete;
    CDemoServerProcess& operator=(const CDemoServerProcess&) = delete;

    // Extra arguments: test modes such as {"--pack", "missing"}.
    bool Start(const std::filesystem::path& workDir, const std::vector<std::string>& vecArgs = {});
    void Stop();

    int Port() const { return m_nPort; }
    std::string Url(const std::string& strPath) const;
    // The decoded records so far, one JSON text each.
    std::vector<std::string> Records() const;
    std::string Log() const;

private:
    pid_t m_pid = -1;
    int m_nPort = -1;
    std::filesystem::path m_logFile;
    std::filesystem::path m_statsFile;
    std::filesystem::path m_sanitizerLog;
};

}  // namespace workflowtest
