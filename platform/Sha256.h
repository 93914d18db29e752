#pragma once
#include <cstddef>
#include <string>

class CCancelToken;
struct evp_md_ctx_st;

// SHA-256 through OpenSSL's EVP interface (hardware instructions where the
// processor has them).
class CSha256 {
public:
    CSha256();
    ~CSha256();
    CSha256(const CSha256&) = delete;
    CSha256& operator=(const CSha256&) = delete;

    // Forgets everything hashed so far.
    void Reset();
    void Update(const void* pData, size_t nBytes);
    // The digest of everything since the last reset, as 64 lower-case hex
    // digits; the hash then starts afresh.
    std::string FinishHex();

    // Hashes a whole regular file, never through a symbolic link and never
    // waiting on a pipe. False with errno in nErr when it cannot be read,
    // or ECANCELED once pCancel is set.
    static bool HashFile(const std::string& strPath, std::string& strHex, int& nErr,
                         const CCancelToken* pCancel = nullptr);

private:
    evp_md_ctx_st* m_pCtx;
};

// The lower-case form of a text of exactly 64 hexadecimal digits, in either
// case; false for anything else.
bool NormalizeSha256Hex(const std::string& strText, std::string& strHex);
