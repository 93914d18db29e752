#pragma once
// A host stand-in that paints a known pattern and records what the backend
// reports, so tests can drive a real window without the layout model.
#include <functional>
#include <string>
#include <vector>

#include "toolkit/backend/IHostBackend.h"

namespace gtkhosttest {

class RecordingSink : public SOUI::IHostBackendSink {
public:
    struct Mouse {
        char chKind;  // 'm' move, 'd' down, 'u' up, 'w' wheel
        int nButton;
        int x;
        int y;
    };

    // Left half red, right half blue; a 10-pixel translucent black margin.
    void OnBackendPaint(cairo_t* cr, const SOUI::HostRect& rcDirty) override;
    void OnBackendMouseMove(int x, int y, unsigned) override { m_mice.push_back({'m', 0, x, y}); }
    void OnBackendMouseDown(int nButton, int x, int y, unsigned) override;
    void OnBackendMouseUp(int nButton, int x, int y, unsigned) override {
        m_mice.push_back({'u', nButton, x, y});
    }
    void OnBackendMouseLeave() override { ++m_nLeaves; }
    void OnBackendMouseWheel(int nDelta, int x, int y, unsigned) override {
        m_mice.push_back({'w', nDelta, x, y});
    }
    void OnBackendKeyDown(unsigned nKeyval, unsigned nModifiers) override;
    void OnBackendCloseRequest() override { ++m_nCloseRequests; }
    void OnBackendDestroyed() override { ++m_nDestroyed; }
    void OnBackendSize(int nWidth, int nHeight) override {
        m_nWidth = nWidth;
        m_nHeight = nHeight;
    }
    void OnBackendEditChanged(int nEditId, const std::wstring& strText) override {
        m_nChangedEdit = nEditId;
        m_strEditText = strText;
    }
    void OnBackendEditFocus(int nEditId) override { m_nFocusedEdit = nEditId; }

    bool HasMouse(char chKind, int nButton = -1) const;

    int m_nWidth = 200;
    int m_nHeight = 150;
    int m_nPaints = 0;
    SOUI::HostRect m_rcLastDirty;
    std::vector<Mouse> m_mice;
    std::vector<std::pair<unsigned, unsigned>> m_keys;
    int m_nLeaves = 0;
    int m_nCloseRequests = 0;
    int m_nDestroyed = 0;
    int m_nChangedEdit = 0;
    std::wstring m_strEditText;
    int m_nFocusedEdit = 0;
    // Optional reactions, as a host model would have.
    std::function<void(int nButton, int x, int y)> m_onDown;
    std::function<void(unsigned nKeyval)> m_onKey;
};

}  // namespace gtkhosttest
