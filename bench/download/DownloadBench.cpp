// Downloads one URL with downloadFile, as an install step does, so that its
// time and peak memory can be set against the curl command line's.
#include <cstdio>

#include "http/ClusterCurl.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <url> <save-dir> <file-name>\n", argv[0]);
        return 2;
    }
    if (!ClusterCurl::globalInit()) return 1;
    long code = 0;
    {
        ClusterCurl client;
        code = client.downloadFile(argv[1], argv[3], argv[2]).lResCode;
    }
    ClusterCurl::globalCleanup();
    if (code != 200) {
        std::fprintf(stderr, "download failed: %ld\n", code);
        return 1;
    }
    return 0;
}
