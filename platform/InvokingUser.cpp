#include "platform/InvokingUser.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/WriteLog.h"

namespace {

// A whole decimal number that fits; anything else is no id.
bool ParseId(const char* psz, unsigned long& nValue) {
    if (!psz || *psz < '0' || *psz > '9')
        return false;
    char* pEnd = nullptr;
    errno = 0;
    nValue = std::strtoul(psz, &pEnd, 10);
    return errno == 0 && *pEnd == 0 && nValue < static_cast<unsigned long>(static_cast<uid_t>(-1));
}

}  // namespace

bool DecideInvokingIds(uid_t euid, const char* pszSudoUid, const char* pszSudoGid,
                       const char* pszPkexecUid, uid_t& nUid, gid_t& nGid) {
    if (euid != 0)
        return false;
    unsigned long nUser = 0, nGroup = 0;
    if (ParseId(pszSudoUid, nUser) && ParseId(pszSudoGid, nGroup)) {
        nUid = static_cast<uid_t>(nUser);
        nGid = static_cast<gid_t>(nGroup);
    } else if (ParseId(pszPkexecUid, nUser)) {
        nUid = static_cast<uid_t>(nUser);
        nGid = static_cast<gid_t>(-1);
    } else {
        return false;
    }
    // Root on behalf of root stays root.
    return nUid != 0;
}

bool FindInvokingUser(CInvokingUser& user) {
    uid_t nUid = 0;
    gid_t nGid = 0;
    if (!DecideInvokingIds(geteuid(), getenv("SUDO_UID"), getenv("SUDO_GID"), getenv("PKEXEC_UID"),
                           nUid, nGid))
        return false;
    user = CInvokingUser{};
    user.nUid = nUid;
    passwd pw{};
    passwd* pFound = nullptr;
    std::vector<char> buf(16384);
    // A uid the user database does not know has no home, name or groups to
    // run as: nothing is started for it rather than something half-set-up.
    if (getpwuid_r(nUid, &pw, buf.data(), buf.size(), &pFound) != 0 || !pFound) {
        WriteLog(L"%s uid [%d] is unknown to the user database", L"InvokingUser::FindInvokingUser",
                 static_cast<int>(nUid));
        return false;
    }
    user.strName = pw.pw_name;
    user.strHome = pw.pw_dir;
    if (nGid == static_cast<gid_t>(-1))
        nGid = pw.pw_gid;
    user.nGid = nGid;
    if (!user.strName.empty()) {
        int n = 32;
        user.vecGroups.resize(static_cast<size_t>(n));
        if (getgrouplist(user.strName.c_str(), nGid, user.vecGroups.data(), &n) < 0) {
            user.vecGroups.resize(static_cast<size_t>(n));
            getgrouplist(user.strName.c_str(), nGid, user.vecGroups.data(), &n);
        }
        user.vecGroups.resize(static_cast<size_t>(n));
    }
    if (user.vecGroups.empty())
        user.vecGroups.push_back(nGid);
    return true;
}
