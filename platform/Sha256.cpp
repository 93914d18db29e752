#include "platform/Sha256.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/CCancelToken.h"

namespace {

constexpr size_t kDigestHexDigits = 64;
constexpr size_t kFileReadBytes = 1 << 20;

std::string ToHex(const unsigned char* pBytes, unsigned int nBytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(nBytes * 2);
    for (unsigned int i = 0; i < nBytes; ++i) {
        hex.push_back(kDigits[pBytes[i] >> 4]);
        hex.push_back(kDigits[pBytes[i] & 0x0f]);
    }
    return hex;
}

}  // namespace

CSha256::CSha256() : m_pCtx(EVP_MD_CTX_new()) {
    Reset();
}

CSha256::~CSha256() {
    EVP_MD_CTX_free(m_pCtx);
}

void CSha256::Reset() {
    if (m_pCtx != nullptr)
        EVP_DigestInit_ex(m_pCtx, EVP_sha256(), nullptr);
}

void CSha256::Update(const void* pData, size_t nBytes) {
    if (m_pCtx != nullptr && nBytes > 0)
        EVP_DigestUpdate(m_pCtx, pData, nBytes);
}

std::string CSha256::FinishHex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int nBytes = 0;
    // Without a context (out of memory) the result can match no pin.
    if (m_pCtx == nullptr || EVP_DigestFinal_ex(m_pCtx, digest, &nBytes) != 1)
        return std::string();
    Reset();
    return ToHex(digest, nBytes);
}

bool CSha256::HashFile(const std::string& strPath, std::string& strHex, int& nErr,
                       const CCancelToken* pCancel) {
    // Non-blocking: a pipe put at the name must not hold the open forever.
    int fd = open(strPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        nErr = errno;
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        nErr = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close(fd);
        return false;
    }
    CSha256 hash;
    std::vector<char> buffer(kFileReadBytes);
    for (;;) {
        // A package of a GiB takes most of a second: a close must not wait for it.
        if (pCancel != nullptr && pCancel->IsCancelled()) {
            nErr = ECANCELED;
            close(fd);
            return false;
        }
        ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            nErr = errno;
            close(fd);
            return false;
        }
        hash.Update(buffer.data(), static_cast<size_t>(n));
    }
    close(fd);
    strHex = hash.FinishHex();
    nErr = 0;
    return strHex.size() == kDigestHexDigits;
}

bool NormalizeSha256Hex(const std::string& strText, std::string& strHex) {
    if (strText.size() != kDigestHexDigits)
        return false;
    std::string lower;
    lower.reserve(kDigestHexDigits);
    for (char c : strText) {
        if (c >= '0' && c <= '9')
            lower.push_back(c);
        else if (c >= 'a' && c <= 'f')
            lower.push_back(c);
        else if (c >= 'A' && c <= 'F')
            lower.push_back(static_cast<char>(c - 'A' + 'a'));
        else
            return false;
    }
    strHex = lower;
    return true;
}
