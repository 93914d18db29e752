#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "toolkit/core/SAutoRefPtr.h"
#include "toolkit/core/SObjectImpl.h"

using namespace SOUI;

namespace {

class Probe : public SObjectImpl<IObject> {
public:
    explicit Probe(std::atomic<int>* pFinal) : m_pFinal(pFinal) {}
    void OnFinalRelease() override {
        m_pFinal->fetch_add(1);
        SObjectImpl::OnFinalRelease();
    }

private:
    std::atomic<int>* m_pFinal;
};

}  // namespace

TEST(ObjRef, CreatedWithOneReferenceAndFreedAtZero) {
    std::atomic<int> nFinal{0};
    auto* p = new Probe(&nFinal);
    EXPECT_EQ(p->GetRefCount(), 1);
    EXPECT_EQ(p->AddRef(), 2);
    EXPECT_EQ(p->Release(), 1);
    EXPECT_EQ(nFinal.load(), 0);
    EXPECT_EQ(p->Release(), 0);
    EXPECT_EQ(nFinal.load(), 1);
}

TEST(ObjRef, ConcurrentAddRefAndReleaseFreeExactlyOnce) {
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> nFinal{0};
        auto* p = new Probe(&nFinal);
        constexpr int kThreads = 4;
        constexpr int kPerThread = 500;
        for (int i = 0; i < kThreads * kPerThread; ++i)
            p->AddRef();
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([p] {
                for (int i = 0; i < kPerThread; ++i) {
                    p->AddRef();
                    p->Release();
                    p->Release();
                }
            });
        }
        for (auto& t : threads)
            t.join();
        EXPECT_EQ(nFinal.load(), 0);
        EXPECT_EQ(p->Release(), 0);
        EXPECT_EQ(nFinal.load(), 1);
    }
}

TEST(ObjRef, AutoRefPtrTakesAndGivesBackOneReference) {
    std::atomic<int> nFinal{0};
    auto* p = new Probe(&nFinal);
    {
        SAutoRefPtr<Probe> held(p);
        EXPECT_EQ(p->GetRefCount(), 2);
        SAutoRefPtr<Probe> copy = held;
        EXPECT_EQ(p->GetRefCount(), 3);
        SAutoRefPtr<Probe> moved = std::move(copy);
        EXPECT_FALSE(copy);
        EXPECT_EQ(p->GetRefCount(), 3);
    }
    EXPECT_EQ(p->GetRefCount(), 1);
    SAutoRefPtr<Probe> adopted;
    adopted.Attach(p);
    EXPECT_EQ(p->GetRefCount(), 1);
    adopted.Reset();
    EXPECT_EQ(nFinal.load(), 1);
}
