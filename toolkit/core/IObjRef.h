#pragma once

namespace SOUI {

// Reference counting: whoever receives a reference releases it once.
class IObjRef {
public:
    virtual long AddRef() = 0;
    virtual long Release() = 0;
    // Called when the last reference goes; deletes the object by default.
    virtual void OnFinalRelease() = 0;

protected:
    virtual ~IObjRef() = default;
};

// A toolkit object that can stand as the sender of events.
class IObject : public IObjRef {
public:
    virtual const wchar_t* GetObjectClass() const { return L"object"; }
    virtual int GetID() const { return 0; }
    virtual const wchar_t* GetName() const { return L""; }
};

}  // namespace SOUI
