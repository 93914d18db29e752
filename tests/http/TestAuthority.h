#pragma once
#include <filesystem>
#include <string>

namespace httptest {

// A certificate authority of the test's own, and server certificates it
// signed, made by the openssl command line in a folder. Short-lived EC keys
// keep it quick.
class TestAuthority {
public:
    explicit TestAuthority(const std::filesystem::path& dir) : m_dir(dir) {}

    // The authority itself; false when openssl failed.
    bool Make();
    std::string CaFile() const { return (m_dir / "ca.pem").string(); }
    // A server certificate named strName for the subject alternative name
    // given ("IP:127.0.0.1", "DNS:example.invalid").
    bool Issue(const std::string& strName, const std::string& strAltName);
    std::string CertFile(const std::string& strName) const;
    std::string KeyFile(const std::string& strName) const;

private:
    std::filesystem::path m_dir;
};

}  // namespace httptest
