#pragma once
#include <memory>

#include "toolkit/core/EventArgs.h"

namespace SOUI {

// Something an event can be handed to. Slots are compared so that the one
// given to an unsubscribe call finds the one given to the subscribe call.
class ISlotFunctor {
public:
    virtual ~ISlotFunctor() = default;
    // True when the event was handled.
    virtual bool Call(EventArgs* pEvt) const = 0;
    virtual std::unique_ptr<ISlotFunctor> Clone() const = 0;
    virtual bool Equal(const ISlotFunctor& other) const = 0;
};

// A plain function.
class FreeFunctionSlot : public ISlotFunctor {
public:
    using Fn = bool (*)(EventArgs*);
    explicit FreeFunctionSlot(Fn fn) : m_fn(fn) {}

    bool Call(EventArgs* pEvt) const override { return m_fn(pEvt); }
    std::unique_ptr<ISlotFunctor> Clone() const override {
        return std::make_unique<FreeFunctionSlot>(*this);
    }
    bool Equal(const ISlotFunctor& other) const override {
        auto* p = dynamic_cast<const FreeFunctionSlot*>(&other);
        return p && p->m_fn == m_fn;
    }

private:
    Fn m_fn;
};

// A member function of one object, typically a window's event map.
template <class T>
class MemberFunctionSlot : public ISlotFunctor {
public:
    using Fn = bool (T::*)(EventArgs*);
    MemberFunctionSlot(Fn fn, T* pObj) : m_fn(fn), m_pObj(pObj) {}

    bool Call(EventArgs* pEvt) const override { return (m_pObj->*m_fn)(pEvt); }
    std::unique_ptr<ISlotFunctor> Clone() const override {
        return std::make_unique<MemberFunctionSlot>(*this);
    }
    bool Equal(const ISlotFunctor& other) const override {
        auto* p = dynamic_cast<const MemberFunctionSlot*>(&other);
        return p && p->m_fn == m_fn && p->m_pObj == m_pObj;
    }

private:
    Fn m_fn;
    T* m_pObj;
};

template <class T>
MemberFunctionSlot<T> Subscriber(bool (T::*fn)(EventArgs*), T* pObj) {
    return MemberFunctionSlot<T>(fn, pObj);
}

inline FreeFunctionSlot Subscriber(bool (*fn)(EventArgs*)) {
    return FreeFunctionSlot(fn);
}

}  // namespace SOUI
