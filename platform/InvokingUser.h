#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

// The person behind an installer that runs elevated through sudo or pkexec,
// so that what the installer starts for them (the product) runs as them and
// not as root.
struct CInvokingUser {
    uid_t nUid = 0;
    gid_t nGid = 0;
    std::vector<gid_t> vecGroups;  // supplementary groups, nGid among them
    std::string strName;           // from the password database; empty when unknown
    std::string strHome;           // likewise
};

// From the effective uid and what sudo (SUDO_UID, SUDO_GID) or pkexec
// (PKEXEC_UID) leave in the environment: true, with the ids, when running as
// root on behalf of another uid. nGid is (gid_t)-1 when only the uid is
// known (pkexec): it comes from the password database then.
bool DecideInvokingIds(uid_t euid, const char* pszSudoUid, const char* pszSudoGid,
                       const char* pszPkexecUid, uid_t& nUid, gid_t& nGid);

// This process's invoking user, with name, home and groups looked up. False
// when the process is not elevated on someone's behalf, or when the user
// database does not know that uid (logged).
bool FindInvokingUser(CInvokingUser& user);
