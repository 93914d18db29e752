#include <gtest/gtest.h>

#include <vector>

#include "CountedEvent.h"
#include "support/StderrCapture.h"
#include "toolkit/core/EventCmd.h"
#include "toolkit/core/SEventSet.h"

using namespace SOUI;

namespace {

class Named : public SObjectImpl<IObject> {
public:
    const wchar_t* GetName() const override { return L"btn_installer"; }
    int GetID() const override { return 7; }
};

struct Receiver {
    std::vector<int> seen;
    SEventSet* pSet = nullptr;
    Receiver* pOther = nullptr;
    bool bHandle = true;

    bool OnEvent(EventArgs* pEvt) {
        seen.push_back(static_cast<CountedEvent*>(pEvt)->nSeq);
        return bHandle;
    }
    bool UnsubscribeOther(EventArgs* pEvt) {
        pSet->unsubscribeEvent(pEvt->GetID(), Subscriber(&Receiver::OnEvent, pOther));
        seen.push_back(-1);
        return false;
    }
};

}  // namespace

TEST(EventSet, EventClassesCarryTheirIdNameAndSender) {
    auto* pSender = new Named;
    auto* pCmd = new EventCmd(pSender);
    EXPECT_EQ(pCmd->GetID(), 10000);
    EXPECT_STREQ(pCmd->GetName(), L"on_command");
    EXPECT_STREQ(pCmd->GetObjectClass(), L"on_command");
    EXPECT_EQ(pCmd->sender, pSender);
    // Copied at creation, so still readable once the sender is gone.
    pSender->Release();
    EXPECT_EQ(pCmd->nameFrom, L"btn_installer");
    EXPECT_EQ(pCmd->idFrom, 7);
    pCmd->Release();

    auto* pOwn = new CountedEvent(nullptr, 0, 0);
    EXPECT_EQ(pOwn->GetID(), 10000077);
    EXPECT_EQ(pOwn->nameFrom, L"");
    pOwn->Release();
}

TEST(EventSet, DeliversOnlyAddedEventsToEqualSlotsOnce) {
    SEventSet set;
    Receiver r;
    auto* pEvt = new CountedEvent(nullptr, 0, 1);

    EXPECT_FALSE(set.subscribeEvent(CountedEvent::EventID, Subscriber(&Receiver::OnEvent, &r)));
    EXPECT_FALSE(set.FireEvent(pEvt));
    EXPECT_TRUE(r.seen.empty());

    EXPECT_TRUE(set.addEvent(CountedEvent::EventID, L"on_counted"));
    {
        testsupport::StderrCapture capture;
        EXPECT_FALSE(set.addEvent(CountedEvent::EventID, L"again"));
        EXPECT_NE(capture.Text().find("SEventSet::addEvent"), std::string::npos);
    }
    EXPECT_EQ(set.getEventName(CountedEvent::EventID), L"on_counted");
    EXPECT_TRUE(set.subscribeEvent(CountedEvent::EventID, Subscriber(&Receiver::OnEvent, &r)));
    EXPECT_FALSE(set.subscribeEvent(CountedEvent::EventID, Subscriber(&Receiver::OnEvent, &r)));

    EXPECT_TRUE(set.FireEvent(pEvt));
    EXPECT_EQ(r.seen, std::vector<int>{1});
    EXPECT_EQ(pEvt->handled, 1);

    set.SetMute(true);
    EXPECT_FALSE(set.FireEvent(pEvt));
    set.SetMute(false);

    EXPECT_TRUE(set.unsubscribeEvent(CountedEvent::EventID, Subscriber(&Receiver::OnEvent, &r)));
    EXPECT_FALSE(set.unsubscribeEvent(CountedEvent::EventID, Subscriber(&Receiver::OnEvent, &r)));
    EXPECT_FALSE(set.FireEvent(pEvt));
    EXPECT_EQ(r.seen.size(), 1u);

    EXPECT_TRUE(set.removeEvent(CountedEvent::EventID));
    EXPECT_FALSE(set.isEventPresent(CountedEvent::EventID));
    pEvt->Release();
}

TEST(EventSet, HandlerUnsubscribingALaterOneStopsItsDelivery) {
    SEventSet set;
    set.addEvent(CountedEvent::EventID, L"on_counted");
    Receiver first, second;
    first.pSet = &set;
    first.pOther = &second;
    set.subscribeEvent(CountedEvent::EventID, Subscriber(&Receiver::UnsubscribeOther, &first));
    set.subscribeEvent(CountedEvent::EventID, Subscriber(&Receiver::OnEvent, &second));

    auto* pEvt = new CountedEvent(nullptr, 0, 3);
    EXPECT_FALSE(set.FireEvent(pEvt));
    EXPECT_EQ(first.seen, std::vector<int>{-1});
    EXPECT_TRUE(second.seen.empty());
    pEvt->Release();
}

TEST(EventSet, ClearedBubbleUpStopsLaterSubscribers) {
    SEventSet set;
    set.addEvent(CountedEvent::EventID, L"on_counted");
    struct Stopper {
        bool OnEvent(EventArgs* pEvt) {
            pEvt->bubbleUp = false;
            return true;
        }
    } stopper;
    Receiver after;
    set.subscribeEvent(CountedEvent::EventID, Subscriber(&Stopper::OnEvent, &stopper));
    set.subscribeEvent(CountedEvent::EventID, Subscriber(&Receiver::OnEvent, &after));
    auto* pEvt = new CountedEvent(nullptr, 0, 4);
    EXPECT_TRUE(set.FireEvent(pEvt));
    EXPECT_TRUE(after.seen.empty());
    pEvt->Release();
}
