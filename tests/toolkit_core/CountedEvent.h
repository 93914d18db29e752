#pragma once
#include <atomic>
#include <thread>

#include "toolkit/core/TplEventArgs.h"

// An event that counts its destructions and remembers where it came from.
class CountedEvent : public SOUI::TplEventArgs<CountedEvent> {
public:
    static constexpr int EventID = SOUI::EVT_EXTERNAL_BEGIN + 77;
    static constexpr const wchar_t* EventName = L"on_counted";

    CountedEvent(SOUI::IObject* pSender, int nSource, int nSeq)
        : TplEventArgs(pSender), nSource(nSource), nSeq(nSeq) {}

    int nSource;
    int nSeq;

    static std::atomic<int> s_nDestroyed;

protected:
    ~CountedEvent() override { s_nDestroyed.fetch_add(1); }
};
