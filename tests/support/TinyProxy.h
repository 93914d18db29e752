#pragma once
#include <sys/types.h>

#include <filesystem>
#include <string>

namespace testsupport {

// A real HTTP proxy (Debian's tinyproxy) on a free loopback port, started
// and stopped by the test. It names itself in the Via header it adds.
class TinyProxy {
public:
    static constexpr const char* kViaName = "tovadoc-test-proxy";

    explicit TinyProxy(const std::filesystem::path& workDir);
    ~TinyProxy();
    TinyProxy(const TinyProxy&) = delete;
    TinyProxy& operator=(const TinyProxy&) = delete;

    // False when tinyproxy is not installed or did not come up.
    bool Start();
    void Stop();
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_nPort); }
    // Its log, which names every request it forwarded.
    std::string Log() const;

private:
    std::filesystem::path m_dir;
    pid_t m_pid = -1;
    int m_nPort = -1;
};

// Sets an environment variable (or unsets it, for nullptr) for the object's
// life. Only while the process runs no thread that reads the environment.
class ScopedEnv {
public:
    ScopedEnv(const char* szName, const char* szValue);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_strName;
    std::string m_strOld;
    bool m_bHadOld = false;
};

}  // namespace testsupport
