#pragma once
#include <gtest/gtest.h>

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

    std::string m_body;
    std::string m_strPostType;
    std::string m_strPostLength;
    size_t m_nContentTypeLines = 0;
    LoopbackServer m_server;
    testsupport::TempDir m_dir;
};

// A body of `size` bytes that repeats only every 251 bytes.
std::string Pattern(size_t size);

}  // namespace httptest
