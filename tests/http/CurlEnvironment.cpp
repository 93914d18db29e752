#include <gtest/gtest.h>

#include "http/ClusterCurl.h"

namespace {

// The process set-up the installer's entry does, once around all suites.
class CurlEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(ClusterCurl::globalInit()); }
    void TearDown() override { ClusterCurl::globalCleanup(); }
};

const auto* const g_pCurlEnvironment = ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

}  // namespace
