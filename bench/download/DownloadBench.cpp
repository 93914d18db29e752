// Downloads one URL with downloadFile, as an install step does, so that its
// time and peak memory can be set against the curl command line's. With a
// SHA-256 it verifies the file as the pinned install steps do.
#include <cstdio>

#include "http/ClusterCurl.h"

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s <url> <save-dir> <file-name> [sha256]\n", argv[0]);
        return 2;
    }
    if (!ClusterCurl::globalInit())
        return 1;
    CurlResult result;
    {
        ClusterCurl client;
        if (argc == 5)
            client.setExpectedSha256(argv[4]);
        result = client.downloadFile(argv[1], argv[3], argv[2]);
    }
    ClusterCurl::globalCleanup();
    if (result.lResCode != 200) {
        std::fprintf(stderr, "download failed: %ld %s\n", result.lResCode, result.strMsg.c_str());
        return 1;
    }
    return 0;
}
