#pragma once
#include "toolkit/core/EventArgs.h"

namespace SOUI {

// Gives an event class T its ID and name from `T::EventID` and `T::EventName`;
// the name also answers as the object's class name.
template <class T>
class TplEventArgs : public EventArgs {
public:
    explicit TplEventArgs(IObject* pSender) : EventArgs(pSender) {}

    int GetID() const override { return T::EventID; }
    const wchar_t* GetName() const override { return T::EventName; }
    const wchar_t* GetObjectClass() const override { return T::EventName; }

protected:
    ~TplEventArgs() override = default;
};

}  // namespace SOUI
