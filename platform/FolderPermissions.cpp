#include "platform/FolderPermissions.h"

#include <acl/libacl.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

namespace {

bool LookupGroup(const std::string& strName, gid_t& gid) {
    if (strName.empty()) {
        return false;
    }
    struct group grp {};
    struct group* pResult = nullptr;
    std::vector<char> buf(16384);
    if (getgrnam_r(strName.c_str(), &grp, buf.data(), buf.size(), &pResult) != 0 || !pResult) {
        return false;
    }
    gid = pResult->gr_gid;
    return true;
}

bool ResolveGroup(const std::wstring& trusteeName, gid_t& gid) {
    if (LookupGroup(WideToAnsi(trusteeName), gid)) {
        return true;
    }
    std::wstring strLower = trusteeName;
    for (wchar_t& ch : strLower) {
        ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    }
    return strLower != trusteeName && LookupGroup(WideToAnsi(strLower), gid);
}

// The entry of the group in acl, or null.
acl_entry_t FindGroupEntry(acl_t acl, gid_t gid) {
    acl_entry_t entry;
    for (int nWhich = ACL_FIRST_ENTRY; acl_get_entry(acl, nWhich, &entry) == 1;
         nWhich = ACL_NEXT_ENTRY) {
        acl_tag_t tag;
        if (acl_get_tag_type(entry, &tag) != 0 || tag != ACL_GROUP) {
            continue;
        }
        auto* pQualifier = static_cast<gid_t*>(acl_get_qualifier(entry));
        bool bSame = pQualifier && *pQualifier == gid;
        acl_free(pQualifier);
        if (bSame) {
            return entry;
        }
    }
    return nullptr;
}

// The mask entry of acl, or null when the list is a minimal one.
acl_entry_t FindMask(acl_t acl) {
    acl_entry_t entry;
    acl_tag_t tag;
    for (int nWhich = ACL_FIRST_ENTRY; acl_get_entry(acl, nWhich, &entry) == 1;
         nWhich = ACL_NEXT_ENTRY) {
        if (acl_get_tag_type(entry, &tag) == 0 && tag == ACL_MASK)
            return entry;
    }
    return nullptr;
}

// Takes from every entry the mask limits what the mask holds back, so that
// each keeps exactly the rights it had when the mask is widened.
bool ClipToMask(acl_t acl) {
    acl_entry_t mask = FindMask(acl);
    acl_permset_t maskPerms;
    if (!mask)
        return true;
    if (acl_get_permset(mask, &maskPerms) != 0)
        return false;
    acl_entry_t entry;
    acl_tag_t tag;
    for (int nWhich = ACL_FIRST_ENTRY; acl_get_entry(acl, nWhich, &entry) == 1;
         nWhich = ACL_NEXT_ENTRY) {
        acl_permset_t perms;
        if (acl_get_tag_type(entry, &tag) != 0 || acl_get_permset(entry, &perms) != 0)
            return false;
        if (tag != ACL_USER && tag != ACL_GROUP && tag != ACL_GROUP_OBJ)
            continue;
        for (acl_perm_t perm : {ACL_READ, ACL_WRITE, ACL_EXECUTE}) {
            if (acl_get_perm(maskPerms, perm) != 1 && acl_delete_perm(perms, perm) != 0)
                return false;
        }
        if (acl_set_permset(entry, perms) != 0)
            return false;
    }
    return true;
}

// Adds read, write and execute for the group to *pAcl (what it had stays),
// then widens the mask so the entry takes effect; every other entry keeps
// the rights it had under the old mask.
bool MergeGroupEntry(acl_t* pAcl, gid_t gid) {
    if (!ClipToMask(*pAcl))
        return false;
    acl_entry_t entry = FindGroupEntry(*pAcl, gid);
    if (!entry) {
        if (acl_create_entry(pAcl, &entry) != 0 || acl_set_tag_type(entry, ACL_GROUP) != 0 ||
            acl_set_qualifier(entry, &gid) != 0) {
            return false;
        }
    }
    acl_permset_t permset;
    if (acl_get_permset(entry, &permset) != 0 || acl_add_perm(permset, ACL_READ) != 0 ||
        acl_add_perm(permset, ACL_WRITE) != 0 || acl_add_perm(permset, ACL_EXECUTE) != 0 ||
        acl_set_permset(entry, permset) != 0) {
        return false;
    }
    return acl_calc_mask(pAcl) == 0 && acl_valid(*pAcl) == 0;
}

// A folder without a default list starts a minimal one: the owner, owning
// group and others as the access list gives them effectively. Other named
// entries of the access list are not made to be inherited.
acl_t ReadDefaultAcl(const char* pszPath, acl_t aclAccess) {
    acl_t aclDefault = acl_get_file(pszPath, ACL_TYPE_DEFAULT);
    if (aclDefault && acl_entries(aclDefault) > 0) {
        return aclDefault;
    }
    if (aclDefault) {
        acl_free(aclDefault);
    }
    acl_t aclEffective = acl_dup(aclAccess);
    aclDefault = acl_init(5);
    bool bOk = aclEffective && aclDefault && ClipToMask(aclEffective);
    acl_entry_t entry;
    acl_tag_t tag;
    for (int nWhich = ACL_FIRST_ENTRY; bOk && acl_get_entry(aclEffective, nWhich, &entry) == 1;
         nWhich = ACL_NEXT_ENTRY) {
        acl_entry_t copy;
        bOk = acl_get_tag_type(entry, &tag) == 0;
        if (bOk && (tag == ACL_USER_OBJ || tag == ACL_GROUP_OBJ || tag == ACL_OTHER))
            bOk = acl_create_entry(&aclDefault, &copy) == 0 && acl_copy_entry(copy, entry) == 0;
    }
    if (aclEffective)
        acl_free(aclEffective);
    if (!bOk && aclDefault) {
        acl_free(aclDefault);
        aclDefault = nullptr;
    }
    return aclDefault;
}

}  // namespace

bool GrantFolderAccess(const std::wstring& objectPath, const std::wstring& trusteeName) {
    const std::string strPath = WideToAnsi(objectPath);
    // The folder's parent may be writable by others: a link planted at its
    // name must not give the group access to whatever it points to. The
    // lists are read and written through the descriptor of what was opened.
    const int fd = strPath.empty() ? -1 : open(strPath.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        WriteLog(L"%s [%s] not found", L"FolderPermissions::GrantFolderAccess", objectPath.c_str());
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        WriteLog(L"%s [%s] is a symbolic link: no access given",
                 L"FolderPermissions::GrantFolderAccess", objectPath.c_str());
        close(fd);
        return false;
    }
    gid_t gid = 0;
    if (!ResolveGroup(trusteeName, gid)) {
        WriteLog(L"%s unknown group [%s]", L"FolderPermissions::GrantFolderAccess",
                 trusteeName.c_str());
        close(fd);
        return false;
    }
    const std::string strFdPath = "/proc/self/fd/" + std::to_string(fd);
    const char* pszFd = strFdPath.c_str();
    acl_t aclAccess = acl_get_file(pszFd, ACL_TYPE_ACCESS);
    if (!aclAccess) {
        WriteLog(L"%s cannot read the access list of [%s] errno=[%d]",
                 L"FolderPermissions::GrantFolderAccess", objectPath.c_str(), errno);
        close(fd);
        return false;
    }
    bool bOk = true;
    acl_t aclDefault = nullptr;
    if (S_ISDIR(st.st_mode)) {
        aclDefault = ReadDefaultAcl(pszFd, aclAccess);
        bOk = aclDefault && MergeGroupEntry(&aclDefault, gid);
    }
    bOk = bOk && MergeGroupEntry(&aclAccess, gid);
    // The default list first: a file system without access lists refuses it
    // before anything has changed.
    if (bOk && aclDefault && acl_set_file(pszFd, ACL_TYPE_DEFAULT, aclDefault) != 0) {
        bOk = false;
    }
    if (bOk && acl_set_file(pszFd, ACL_TYPE_ACCESS, aclAccess) != 0) {
        bOk = false;
    }
    if (!bOk) {
        WriteLog(L"%s cannot write the access list of [%s] errno=[%d]",
                 L"FolderPermissions::GrantFolderAccess", objectPath.c_str(), errno);
    }
    if (aclDefault) {
        acl_free(aclDefault);
    }
    acl_free(aclAccess);
    close(fd);
    return bOk;
}
