// A loopback server that serves one file in byte ranges and drops the first
// answer halfway, and downloadFile with retries and the file's SHA-256
// fetching it as an install step would. The figure is the bytes the server
// sent in all, against the size of the file: a download that starts over
// after the cut fetches about 1.5 times the file, one that resumes about 1.
#include <fcntl.h>
#include <httplib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "http/ClusterCurl.h"

namespace {

constexpr size_t kChunk = 256 * 1024;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <file> <sha256> <save-dir>\n", argv[0]);
        return 2;
    }
    const std::string strFile = argv[1];
    int fd = open(strFile.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    const size_t nSize = static_cast<size_t>(st.st_size);
    const std::string strTag = "\"bench-" + std::to_string(nSize) + "\"";

    std::atomic<size_t> nSent{0};
    std::atomic<int> nAnswers{0};
    httplib::Server server;
    server.Get("/big", [&](const httplib::Request& req, httplib::Response& res) {
        const int k = nAnswers++;
        res.set_header("Accept-Ranges", "bytes");
        res.set_header("ETag", strTag);
        if (req.has_header("If-Range") && req.get_header_value("If-Range") != strTag) {
            const_cast<httplib::Request&>(req).ranges.clear();
            res.status = 200;
        }
        const size_t nStop = k == 0 ? nSize / 2 : nSize;
        res.set_content_provider(
            nSize, "application/octet-stream",
            [&, nStop](size_t offset, size_t length, httplib::DataSink& sink) {
                if (offset >= nStop)
                    return false;  // the cut
                std::string buffer(std::min({length, kChunk, nStop - offset}), '\0');
                ssize_t n = pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(offset));
                if (n <= 0)
                    return false;
                nSent += static_cast<size_t>(n);
                return sink.write(buffer.data(), static_cast<size_t>(n));
            });
    });
    const int nPort = server.bind_to_any_port("127.0.0.1");
    if (nPort <= 0) {
        std::fprintf(stderr, "cannot listen\n");
        return 1;
    }
    std::thread serving([&] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    if (!ClusterCurl::globalInit())
        return 1;
    CurlResult result;
    const auto start = std::chrono::steady_clock::now();
    {
        ClusterCurl client;
        client.m_nRetries = 3;
        client.setExpectedSha256(argv[2]);
        result = client.downloadFile("http://127.0.0.1:" + std::to_string(nPort) + "/big",
                                     "big.bin", argv[3]);
    }
    const double dSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ClusterCurl::globalCleanup();
    server.stop();
    serving.join();
    close(fd);
    if (result.lResCode != 200) {
        std::fprintf(stderr, "download failed: %ld %s\n", result.lResCode, result.strMsg.c_str());
        return 1;
    }
    std::printf("size=%zu answers=%d bytes_sent=%zu seconds=%.2f (1 s of it the retry pause)\n",
                nSize, nAnswers.load(), nSent.load(), dSeconds);
    std::printf("refetch_ratio=%.4f\n", static_cast<double>(nSent.load()) / nSize);
    return 0;
}
