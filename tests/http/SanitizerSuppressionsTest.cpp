// The race detector's suppressions keep to code that is not ours: a race in
// the handler of a loopback server is still reported, although the server
// library's own frames are under every handler.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "LoopbackServer.h"

namespace {

int g_nUnguarded = 0;

// The handler writes what another thread then reads, told only by a relaxed
// flag that orders nothing: the usual slip in a test's own handler.
[[maybe_unused]] void RaceInAHandler() {
    httptest::LoopbackServer server;
    server.Http().Get("/race", [](const httplib::Request&, httplib::Response& res) {
        g_nUnguarded = 1;
        res.set_content("ok", "text/plain");
    });
    if (!server.Start()) {
        std::exit(3);
    }
    std::atomic<bool> bAnswered{false};
    int nSeen = 0;
    std::thread reader([&] {
        while (!bAnswered.load(std::memory_order_relaxed)) {
            std::this_thread::yield();
        }
        nSeen = g_nUnguarded;
    });
    httplib::Client client("127.0.0.1", server.Port());
    auto res = client.Get("/race");
    bAnswered.store(true, std::memory_order_relaxed);
    reader.join();
    std::exit(res && nSeen == 1 ? 0 : 4);
}

}  // namespace

TEST(SanitizerSuppressions, ARaceInALoopbackServersHandlerIsReported) {
#ifndef __SANITIZE_THREAD__
    GTEST_SKIP() << "only the race detector sees races (scripts/test.sh --sanitize thread)";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The race detector's exit code when it reported something.
    EXPECT_EXIT(RaceInAHandler(), testing::ExitedWithCode(66), "data race");
#endif
}
