#pragma once

// Receives the progress of a download on the transferring thread; must
// return quickly. The client never deletes a receiver.
class CLibcurlDownCallback {
public:
    virtual ~CLibcurlDownCallback() = default;
    // nType is always 1 (download); dTotal is 0 while the body size is unknown.
    virtual void OnDownProgress(int nType, int nTaskId, double dTotal, double dNow) = 0;
    // No transfer of the installer uploads, so this is never called.
    virtual void OnUpProgress(int nTaskId, double dTotal, double dNow) = 0;
};
