#include "TestAuthority.h"

#include <cstdlib>
#include <fstream>

namespace httptest {

namespace {

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

constexpr const char* kNewKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

}  // namespace

bool TestAuthority::Make() {
    return Run(std::string("openssl req -x509 ") + kNewKey +
               " -days 2 -subj '/CN=Tovadoc Test CA' -addext basicConstraints=critical,CA:TRUE "
               "-addext keyUsage=critical,keyCertSign,cRLSign -keyout " +
               Quoted(m_dir / "ca.key") + " -out " + Quoted(m_dir / "ca.pem"));
}

std::string TestAuthority::CertFile(const std::string& strName) const {
    return (m_dir / (strName + ".pem")).string();
}

std::string TestAuthority::KeyFile(const std::string& strName) const {
    return (m_dir / (strName + ".key")).string();
}

bool TestAuthority::Issue(const std::string& strName, const std::string& strAltName) {
    const std::filesystem::path ext = m_dir / (strName + ".ext");
    std::ofstream(ext) << "subjectAltName=" << strAltName
                       << "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n";
    const std::filesystem::path csr = m_dir / (strName + ".csr");
    return Run(std::string("openssl req ") + kNewKey + " -subj '/CN=" + strName + "' -keyout " +
               Quoted(KeyFile(strName)) + " -out " + Quoted(csr)) &&
           Run("openssl x509 -req -days 2 -in " + Quoted(csr) + " -CA " + Quoted(CaFile()) +
               " -CAkey " + Quoted(m_dir / "ca.key") + " -CAcreateserial -extfile " + Quoted(ext) +
               " -out " + Quoted(CertFile(strName)));
}

}  // namespace httptest
