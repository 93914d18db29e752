#pragma once
#include <cstdint>

#include "toolkit/control/SWindow.h"

namespace SOUI {

// A button drawn by its skin's state frames (normal, hover, pushed,
// disabled) with an optional centred caption. With `animate="1"` it
// cross-fades from one state frame to the next over kFadeMs, unless the
// desktop asks for reduced motion.
class SImageButton : public SWindow {
public:
    SOUI_CLASS_NAME(L"imgbtn")
    SImageButton();
    ~SImageButton() override;
    bool IsClickable() const override { return true; }
    HostAccRole GetAccRole() const override { return HostAccRole::PushButton; }
    CSize GetDesiredSize(int nMaxWidth) const override;
    // The caption keeps clear of the skin's edges.
    CRect GetTextRect() const override;
    static constexpr int kTextPadding = 4;
    static constexpr int kFadeMs = 150;

    // Whether a fade between two state frames is under way.
    bool IsFading() const { return m_nFadeFrom >= 0; }
    int64_t GetFadeStartUs() const { return m_nFadeStartUs; }
    // How opaque the new state frame is drawn at a moment of the monotonic
    // clock (GLib's, microseconds): 0 when the fade starts, 255 from kFadeMs on.
    unsigned char FadeAlphaAt(int64_t nNowUs) const;

protected:
    void OnPaint(IRenderTarget* pRT) override;
    void StopFade();
    static int OnFadeTick(void* pThis);

    int m_nShownState = -1;  // the state frame painted last
    int m_nFadeFrom = -1;    // the frame faded from; -1: no fade
    int64_t m_nFadeStartUs = 0;
    unsigned m_nFadeSource = 0;
};

}  // namespace SOUI
