#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>

#include "LoopbackServer.h"
#include "http/ClusterCurl.h"
#include "support/TempDir.h"

namespace httptest {

// The client under test; the suite's fixture takes the class's name.
using Client = ::ClusterCurl;

// Serves the routes the download cases share.
class ClusterCurl : public ::testing::Test {
protected:
    void SetUp() override;

    // What the last post to /echo carried; the handler runs on a server thread.
    struct PostSeen {
        std::string strType;
        std::string strLength;
        size_t nContentTypeLines = 0;
    };
    PostSeen LastPost() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_post;
    }

    std::string m_body;
    std::mutex m_mutex;
    PostSeen m_post;
    // For a test's own handlers; made before the server's threads, so they
    // need no other order.
    std::string m_strSeen;  // under m_mutex
    std::atomic<int> m_nRequests{0};
    LoopbackServer m_server;
    testsupport::TempDir m_dir;
};

// A body of `size` bytes that repeats only every 251 bytes.
std::string Pattern(size_t size);

}  // namespace httptest
