#include "RecordingSink.h"

namespace gtkhosttest {

void RecordingSink::OnBackendPaint(cairo_t* cr, const SOUI::HostRect& rcDirty) {
    ++m_nPaints;
    m_rcLastDirty = rcDirty;
    cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 10, 10, m_nWidth / 2 - 10, m_nHeight - 20);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, m_nWidth / 2, 10, m_nWidth / 2 - 10, m_nHeight - 20);
    cairo_fill(cr);
}

void RecordingSink::OnBackendMouseDown(int nButton, int x, int y, unsigned) {
    m_mice.push_back({'d', nButton, x, y});
    if (m_onDown)
        m_onDown(nButton, x, y);
}

void RecordingSink::OnBackendKeyDown(unsigned nKeyval, unsigned nModifiers) {
    m_keys.emplace_back(nKeyval, nModifiers);
    if (m_onKey)
        m_onKey(nKeyval);
}

bool RecordingSink::HasMouse(char chKind, int nButton) const {
    for (const auto& m : m_mice)
        if (m.chKind == chKind && (nButton < 0 || m.nButton == nButton))
            return true;
    return false;
}

}  // namespace gtkhosttest
