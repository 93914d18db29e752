#include "toolkit/control/SRichEdit.h"

#include <pango/pangocairo.h>

#include "toolkit/core/SDesktopSettings.h"
#include "toolkit/core/SLog.h"
#include "toolkit/render/SStrUtil.h"
#include "toolkit/skin/SSkinScrollbar.h"

namespace SOUI {

namespace {
// Half-points to pixels at 96 dots per inch, times the desktop's text scale.
int HalfPointsToPixels(int nHalfPoints) {
    return SDesktopSettings::ScaleFontSize((nHalfPoints * 96 + 72) / 144);
}
}  // namespace

SRichEdit::SRichEdit() {
    // Reading the document from the keyboard needs the focus.
    m_nFocusable = 1;
    m_pPango = pango_font_map_create_context(pango_cairo_font_map_get_default());
}

SRichEdit::~SRichEdit() {
    ClearLayouts();
    g_object_unref(m_pPango);
}

bool SRichEdit::SetAttribute(const std::wstring& strName, const std::wstring& strValue,
                             bool bLoading) {
    if (strName == L"rtf") {
        m_attributes[strName] = strValue;
        ISwndContainer* pContainer = GetContainer();
        std::vector<char> buf;
        if (!pContainer || !pContainer->LoadResource(strValue, buf)) {
            SLog(L"SRichEdit::SetAttribute no document [%s]", strValue.c_str());
            SetRtf("{\\rtf1}");
            return true;
        }
        if (!SetRtf(std::string_view(buf.data(), buf.size()))) {
            SLog(L"SRichEdit::SetAttribute [%s] is not rich text", strValue.c_str());
        }
        return true;
    }
    if (strName == L"sbSkin") {
        m_attributes[strName] = strValue;
        m_strSbSkin = strValue;
        if (!bLoading) {
            Invalidate();
        }
        return true;
    }
    if (strName == L"readOnly" || strName == L"wordWrap" || strName == L"vscrollBar") {
        // Always read-only, wrapped and vertically scrolled.
        m_attributes[strName] = strValue;
        return true;
    }
    bool bResult = SWindow::SetAttribute(strName, strValue, bLoading);
    if (strName == L"font") {
        ClearLayouts();
    }
    return bResult;
}

bool SRichEdit::SetRtf(std::string_view strRtf) {
    bool bOk = SRtfReader::Read(strRtf, m_doc);
    ClearLayouts();
    m_nScrollPos = 0;
    Invalidate();
    return bOk;
}

std::wstring SRichEdit::GetWindowText(bool) const {
    return m_doc.GetText();
}

bool SRichEdit::OnKeyDown(unsigned nKeyval, unsigned) {
    const int nPage = std::max(kLineStep, GetViewRect().Height() - kLineStep);
    switch (nKeyval) {
        case 0xff52:  // Up
            SetScrollPos(m_nScrollPos - kLineStep);
            return true;
        case 0xff54:  // Down
            SetScrollPos(m_nScrollPos + kLineStep);
            return true;
        case 0xff55:  // Page Up
            SetScrollPos(m_nScrollPos - nPage);
            return true;
        case 0xff56:  // Page Down
        case kHostKeySpace:
            SetScrollPos(m_nScrollPos + nPage);
            return true;
        case 0xff50:  // Home
            SetScrollPos(0);
            return true;
        case 0xff57:  // End
            SetScrollPos(GetScrollMax());
            return true;
        default:
            return false;
    }
}

void SRichEdit::ClearLayouts() {
    for (PangoLayout* p : m_layouts) {
        g_object_unref(p);
    }
    m_layouts.clear();
    m_paraTops.clear();
    m_nLayoutWidth = -1;
    m_nContentHeight = 0;
}

int SRichEdit::GetBarWidth() const {
    SSkinScrollbar* pSkin = GetScrollSkin();
    return pSkin ? pSkin->GetBarSize() : 16;
}

SSkinScrollbar* SRichEdit::GetScrollSkin() const {
    ISwndContainer* pContainer = GetContainer();
    if (!pContainer || m_strSbSkin.empty()) {
        return nullptr;
    }
    return dynamic_cast<SSkinScrollbar*>(pContainer->FindSkin(m_strSbSkin));
}

CRect SRichEdit::GetScrollBarRect() const {
    CRect rc = m_rcWindow;
    rc.left = std::max(rc.left, rc.right - GetBarWidth());
    return rc;
}

CRect SRichEdit::GetViewRect() const {
    CRect rc = m_rcWindow;
    rc.right = GetScrollBarRect().left;
    rc.DeflateRect(kPadding, kPadding);
    if (rc.right < rc.left) {
        rc.right = rc.left;
    }
    if (rc.bottom < rc.top) {
        rc.bottom = rc.top;
    }
    return rc;
}

void SRichEdit::EnsureLayouts() {
    int nWidth = GetViewRect().Width();
    if (nWidth == m_nLayoutWidth && m_layouts.size() == m_doc.paragraphs.size()) {
        return;
    }
    ClearLayouts();
    m_nLayoutWidth = nWidth;
    SFontDesc font = GetFont();
    std::string strFamily = WideToUtf8(font.strFace) + ",WenQuanYi Micro Hei,sans";
    int nTop = 0;
    for (const SRtfParagraph& para : m_doc.paragraphs) {
        PangoLayout* pLayout = pango_layout_new(m_pPango);
        PangoFontDescription* pDesc = pango_font_description_from_string(strFamily.c_str());
        pango_font_description_set_absolute_size(pDesc, HalfPointsToPixels(24) * PANGO_SCALE);
        pango_layout_set_font_description(pLayout, pDesc);
        pango_font_description_free(pDesc);
        pango_layout_set_width(pLayout, std::max(1, nWidth) * PANGO_SCALE);
        pango_layout_set_wrap(pLayout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_alignment(pLayout, para.nAlign == 1   ? PANGO_ALIGN_CENTER
                                            : para.nAlign == 2 ? PANGO_ALIGN_RIGHT
                                                               : PANGO_ALIGN_LEFT);
        pango_layout_set_justify(pLayout, para.nAlign == 3);
        std::string strText;
        PangoAttrList* pAttrs = pango_attr_list_new();
        for (const SRtfRun& run : para.runs) {
            std::string strRun = WideToUtf8(run.strText);
            guint nStart = static_cast<guint>(strText.size());
            strText += strRun;
            guint nEnd = static_cast<guint>(strText.size());
            auto add = [&](PangoAttribute* pAttr) {
                pAttr->start_index = nStart;
                pAttr->end_index = nEnd;
                pango_attr_list_insert(pAttrs, pAttr);
            };
            add(pango_attr_size_new_absolute(HalfPointsToPixels(run.nHalfPoints) * PANGO_SCALE));
            if (run.bBold) {
                add(pango_attr_weight_new(PANGO_WEIGHT_BOLD));
            }
            if (run.bItalic) {
                add(pango_attr_style_new(PANGO_STYLE_ITALIC));
            }
            if (run.bUnderline) {
                add(pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
            }
        }
        pango_layout_set_text(pLayout, strText.c_str(), static_cast<int>(strText.size()));
        pango_layout_set_attributes(pLayout, pAttrs);
        pango_attr_list_unref(pAttrs);
        int nW = 0, nH = 0;
        pango_layout_get_pixel_size(pLayout, &nW, &nH);
        if (strText.empty()) {
            // An empty paragraph still takes a line.
            nH = HalfPointsToPixels(para.runs.empty() ? 24 : para.runs.front().nHalfPoints) * 5 / 4;
        }
        m_paraTops.push_back(nTop);
        m_layouts.push_back(pLayout);
        nTop += nH;
    }
    m_nContentHeight = nTop;
}

int SRichEdit::GetContentHeight() {
    EnsureLayouts();
    return m_nContentHeight;
}

int SRichEdit::GetScrollMax() {
    return std::max(0, GetContentHeight() - GetViewRect().Height());
}

void SRichEdit::SetScrollPos(int nPos) {
    nPos = std::clamp(nPos, 0, GetScrollMax());
    if (nPos != m_nScrollPos) {
        m_nScrollPos = nPos;
        Invalidate();
    }
}

CRect SRichEdit::GetThumbRect() {
    CRect rcBar = GetScrollBarRect();
    int nArrow = rcBar.Width();
    CRect rcRail(rcBar.left, rcBar.top + nArrow, rcBar.right, rcBar.bottom - nArrow);
    int nView = GetViewRect().Height();
    int nContent = std::max(GetContentHeight(), 1);
    int nMax = GetScrollMax();
    if (nMax <= 0 || rcRail.Height() <= 0) {
        return CRect();
    }
    int nThumb = std::max(rcRail.Height() * nView / nContent, std::min(16, rcRail.Height()));
    int nTop = rcRail.top + (rcRail.Height() - nThumb) * m_nScrollPos / nMax;
    return CRect(rcRail.left, nTop, rcRail.right, nTop + nThumb);
}

bool SRichEdit::OnMouseWheel(int nDelta, CPoint) {
    int nOld = m_nScrollPos;
    SetScrollPos(m_nScrollPos - nDelta * kWheelStep / 120);
    return nOld != m_nScrollPos || GetScrollMax() > 0;
}

void SRichEdit::OnLButtonDown(CPoint pt) {
    CRect rcBar = GetScrollBarRect();
    if (!rcBar.PtInRect(pt)) {
        return;
    }
    int nArrow = rcBar.Width();
    int nPage = std::max(1, GetViewRect().Height() - kWheelStep / 2);
    CRect rcThumb = GetThumbRect();
    if (pt.y < rcBar.top + nArrow) {
        SetScrollPos(m_nScrollPos - kWheelStep / 2);
    } else if (pt.y >= rcBar.bottom - nArrow) {
        SetScrollPos(m_nScrollPos + kWheelStep / 2);
    } else if (rcThumb.PtInRect(pt)) {
        m_nDragOffset = pt.y - rcThumb.top;
        SetPushed(true);
    } else if (pt.y < rcThumb.top) {
        SetScrollPos(m_nScrollPos - nPage);
    } else {
        SetScrollPos(m_nScrollPos + nPage);
    }
}

void SRichEdit::OnMouseMove(CPoint pt) {
    if (m_nDragOffset < 0) {
        return;
    }
    CRect rcBar = GetScrollBarRect();
    int nArrow = rcBar.Width();
    CRect rcThumb = GetThumbRect();
    int nTravel = rcBar.Height() - 2 * nArrow - rcThumb.Height();
    if (nTravel <= 0) {
        return;
    }
    int nTop = pt.y - m_nDragOffset - (rcBar.top + nArrow);
    SetScrollPos(static_cast<int>(static_cast<long long>(nTop) * GetScrollMax() / nTravel));
}

void SRichEdit::OnLButtonUp(CPoint) {
    m_nDragOffset = -1;
    SetPushed(false);
}

void SRichEdit::OnPaint(IRenderTarget* pRT) {
    DrawBackground(pRT, m_rcWindow);
    EnsureLayouts();
    CRect rcView = GetViewRect();
    cairo_t* cr = pRT->GetCairo();
    SColor crText = GetTextColor();
    // The window's text colour is often white for the frame's sake; a
    // document on a light background is drawn dark unless told otherwise.
    if (!m_bTextColorSet) {
        crText = SColor(0x38, 0x38, 0x38);
    }
    cairo_save(cr);
    cairo_rectangle(cr, rcView.left, rcView.top, rcView.Width(), rcView.Height());
    cairo_clip(cr);
    cairo_set_source_rgba(cr, crText.r / 255.0, crText.g / 255.0, crText.b / 255.0,
                          crText.a / 255.0);
    for (size_t i = 0; i < m_layouts.size(); ++i) {
        int nTop = rcView.top + m_paraTops[i] - m_nScrollPos;
        int nNext = i + 1 < m_paraTops.size() ? rcView.top + m_paraTops[i + 1] - m_nScrollPos
                                              : rcView.top + m_nContentHeight - m_nScrollPos;
        if (nNext < rcView.top || nTop > rcView.bottom) {
            continue;
        }
        cairo_move_to(cr, rcView.left, nTop);
        pango_cairo_show_layout(cr, m_layouts[i]);
    }
    cairo_restore(cr);

    CRect rcBar = GetScrollBarRect();
    SSkinScrollbar* pSkin = GetScrollSkin();
    bool bActive = GetScrollMax() > 0;
    int nState = bActive ? SKIN_STATE_NORMAL : SKIN_STATE_DISABLED;
    int nArrow = rcBar.Width();
    CRect rcUp(rcBar.left, rcBar.top, rcBar.right, rcBar.top + nArrow);
    CRect rcDown(rcBar.left, rcBar.bottom - nArrow, rcBar.right, rcBar.bottom);
    CRect rcRail(rcBar.left, rcUp.bottom, rcBar.right, rcDown.top);
    if (pSkin) {
        pSkin->DrawPart(pRT, rcRail, SSkinScrollbar::kRail, nState, true);
        pSkin->DrawPart(pRT, rcUp, SSkinScrollbar::kArrowUp, nState, true);
        pSkin->DrawPart(pRT, rcDown, SSkinScrollbar::kArrowDown, nState, true);
        if (bActive) {
            pSkin->DrawPart(pRT, GetThumbRect(), SSkinScrollbar::kThumb,
                            m_nDragOffset >= 0 ? SKIN_STATE_PUSHED : SKIN_STATE_NORMAL, true);
        }
    } else {
        pRT->FillRect(rcBar, SColor(0xe0, 0xe0, 0xe0));
        if (bActive) {
            pRT->FillRect(GetThumbRect(), SColor(0xa0, 0xa0, 0xa0));
        }
    }
}

}  // namespace SOUI
