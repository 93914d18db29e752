#include "http/CTrustStore.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

namespace {

bool IsBundle(const std::string& strPath) {
    struct stat st {};
    return !strPath.empty() && stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           st.st_size > 0 && access(strPath.c_str(), R_OK) == 0;
}

// OpenSSL looks certificates up by "<8 hex digits>.<n>"; a folder without
// such a name (an empty /etc/ssl/certs, say) verifies nothing.
bool IsHashedFolder(const std::string& strPath) {
    DIR* pDir = strPath.empty() ? nullptr : opendir(strPath.c_str());
    if (!pDir)
        return false;
    bool bFound = false;
    while (dirent* pEntry = readdir(pDir)) {
        const char* pszName = pEntry->d_name;
        if (strlen(pszName) >= 10 && strspn(pszName, "0123456789abcdef") == 8 &&
            pszName[8] == '.' && strspn(pszName + 9, "0123456789") == strlen(pszName + 9)) {
            bFound = true;
            break;
        }
    }
    closedir(pDir);
    return bFound;
}

}  // namespace

CTrustStore CTrustStore::Find(const char* pszEnvFile, const char* pszEnvDir,
                              const std::vector<std::string>& strFiles,
                              const std::vector<std::string>& strDirs) {
    CTrustStore store;
    const bool bEnvFile = pszEnvFile && *pszEnvFile;
    const bool bEnvDir = pszEnvDir && *pszEnvDir;
    if (bEnvFile || bEnvDir) {
        if (bEnvFile && IsBundle(pszEnvFile))
            store.m_strFile = pszEnvFile;
        if (bEnvDir && IsHashedFolder(pszEnvDir))
            store.m_strDir = pszEnvDir;
        if (!store.IsFound())
            WriteLog(L"%s SSL_CERT_FILE [%s] / SSL_CERT_DIR [%s] hold no certificates",
                     L"CTrustStore::Find", AnsiToWide(bEnvFile ? pszEnvFile : "").c_str(),
                     AnsiToWide(bEnvDir ? pszEnvDir : "").c_str());
        return store;
    }
    for (const std::string& strFile : strFiles) {
        if (IsBundle(strFile)) {
            store.m_strFile = strFile;
            break;
        }
    }
    for (const std::string& strDir : strDirs) {
        if (IsHashedFolder(strDir)) {
            store.m_strDir = strDir;
            break;
        }
    }
    if (!store.IsFound())
        WriteLog(L"%s no certificate bundle or folder on this system", L"CTrustStore::Find");
    return store;
}

CTrustStore CTrustStore::System() {
    static const std::vector<std::string> kFiles = {
        "/etc/ssl/certs/ca-certificates.crt",                 // Debian, Ubuntu, Arch, Gentoo
        "/etc/pki/ca-trust/extracted/pem/tls-ca-bundle.pem",  // Fedora, RHEL
        "/etc/pki/tls/certs/ca-bundle.crt",                   // Fedora, RHEL (older)
        "/etc/ssl/ca-bundle.pem",                             // openSUSE
        "/var/lib/ca-certificates/ca-bundle.pem",             // openSUSE
        "/etc/ssl/cert.pem",                                  // Arch, Alpine
    };
    static const std::vector<std::string> kDirs = {
        "/etc/ssl/certs",                    // Debian, Ubuntu, openSUSE, Arch
        "/etc/pki/tls/certs",                // Fedora, RHEL
        "/var/lib/ca-certificates/openssl",  // openSUSE
    };
    return Find(secure_getenv("SSL_CERT_FILE"), secure_getenv("SSL_CERT_DIR"), kFiles, kDirs);
}
