#pragma once
#include "toolkit/core/SObjectImpl.h"
#include "toolkit/render/IRenderTarget.h"

namespace SOUI {

class SRenderFactoryCairo;

// Draws on a cairo context. The origin lives in the context's matrix on top
// of the matrix the context came with, so GetCairo() users draw in the same
// coordinates as everything else.
class SRenderTargetCairo : public SObjectImpl<IRenderTarget> {
public:
    // Takes a reference to cr; keeps the factory referenced for fonts.
    SRenderTargetCairo(SRenderFactoryCairo* pFactory, cairo_t* cr, int nWidth, int nHeight);
    ~SRenderTargetCairo() override;

    CSize GetSize() const override { return m_size; }
    void FillRect(const CRect& rc, SColor cr) override;
    void DrawRectangle(const CRect& rc, SColor cr, int nWidth = 1) override;
    void DrawLine(CPoint ptFrom, CPoint ptTo, SColor cr, int nWidth = 1) override;
    void DrawBitmapEx(const CRect& rcDst, IBitmapS* pBmp, const CRect& rcSrc,
                      unsigned char byAlpha = 255) override;
    void DrawText(const std::wstring& strText, const CRect& rc, IFontS* pFont, SColor cr,
                  unsigned uFormat) override;
    CSize MeasureText(const std::wstring& strText, IFontS* pFont, unsigned uFormat,
                      int nMaxWidth = -1) override;
    void PushClipRect(const CRect& rc) override;
    void PopClip() override;
    void OffsetViewportOrg(int dx, int dy, CPoint* pOld = nullptr) override;
    void SetViewportOrg(CPoint pt) override;
    CPoint GetViewportOrg() const override { return m_ptOrg; }
    cairo_t* GetCairo() override { return m_cr; }

private:
    void ApplyOrigin();
    // Device pixels per unit of the current matrix.
    double GetDeviceScale() const;
    void SetSource(SColor cr);

    SRenderFactoryCairo* m_pFactory;
    cairo_t* m_cr;
    CSize m_size;
    cairo_matrix_t m_baseMatrix;
    CPoint m_ptOrg;
    int m_nClipDepth = 0;
};

}  // namespace SOUI
