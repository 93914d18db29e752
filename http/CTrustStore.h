#pragma once
#include <string>
#include <vector>

// Where the certificates that HTTPS peers are verified against live on this
// machine. The TLS library travels with the installer, so its built-in
// paths are those of the system it was built on; the store is looked for
// at run time instead.
class CTrustStore {
public:
    // SSL_CERT_FILE / SSL_CERT_DIR when either is set (then nothing else:
    // the user chose), otherwise the first bundle file of strFiles and the
    // first folder of strDirs that holds hashed certificate names.
    static CTrustStore Find(const char* pszEnvFile, const char* pszEnvDir,
                            const std::vector<std::string>& strFiles,
                            const std::vector<std::string>& strDirs);
    // Find with this process's variables and the well-known places of
    // Debian/Ubuntu, Fedora/RHEL, openSUSE and Arch.
    static CTrustStore System();

    bool IsFound() const { return !m_strFile.empty() || !m_strDir.empty(); }

    std::string m_strFile;  // a PEM bundle, or empty
    std::string m_strDir;   // a folder of hashed certificates, or empty
};
