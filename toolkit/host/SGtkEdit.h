#pragma once
#include <gtk/gtk.h>

#include <cstdint>
#include <string>

namespace SOUI {

class SGtkWindow;

// A native GtkEntry over an edit control's rectangle, so input methods,
// selection and the clipboard work. The drawn control stays the model; the
// entry mirrors it and reports the user's changes back.
class SGtkEdit {
public:
    SGtkEdit(SGtkWindow* pOwner, int nEditId);
    ~SGtkEdit();
    SGtkEdit(const SGtkEdit&) = delete;
    SGtkEdit& operator=(const SGtkEdit&) = delete;

    void SetRect(int x, int y, int cx, int cy);
    // Face and pixel size as the layout gives them; colours as 0xRRGGBBAA.
    void SetFont(const std::wstring& strFace, int nPixelSize, bool bBold, bool bItalic,
                 bool bUnderline);
    void SetColors(uint32_t crText, uint32_t crBackground);
    // Does not report the change back: the caller already holds this text.
    void SetText(const std::wstring& strText);
    std::wstring GetText() const;
    void SetVisible(bool bVisible);
    void SetReadOnly(bool bReadOnly);
    void SetPassword(bool bPassword);
    void Focus();
    bool HasFocus() const;
    GtkWidget* GetWidget() const { return m_pEntry; }

private:
    static void OnChanged(GtkEditable* pEditable, gpointer pThis);
    static gboolean OnFocusIn(GtkWidget* pWidget, GdkEvent* pEvent, gpointer pThis);
    static gboolean OnFocusOut(GtkWidget* pWidget, GdkEvent* pEvent, gpointer pThis);
    void ApplyStyle();

    SGtkWindow* m_pOwner;
    int m_nEditId;
    GtkWidget* m_pEntry = nullptr;
    GtkCssProvider* m_pCss = nullptr;
    bool m_bSilent = false;
    std::string m_strFace = "Sans";
    int m_nPixelSize = 12;
    bool m_bBold = false;
    bool m_bItalic = false;
    bool m_bUnderline = false;
    uint32_t m_crText = 0x000000ff;
    uint32_t m_crBackground = 0;
};

}  // namespace SOUI
