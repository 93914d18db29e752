#include "toolkit/host/SGtkEdit.h"

#include <cstdio>

#include "toolkit/host/SGtkText.h"
#include "toolkit/host/SGtkWindow.h"

namespace SOUI {

namespace {

// CSS strings are quoted; a face name must not be able to end the quote.
std::string CssQuoted(const std::string& str) {
    std::string strOut = "\"";
    for (char ch : str) {
        if (ch == '"' || ch == '\\')
            strOut.push_back('\\');
        if (ch == '\n' || ch == '\r')
            continue;
        strOut.push_back(ch);
    }
    strOut.push_back('"');
    return strOut;
}

std::string CssColor(uint32_t crRgba) {
    // Integer formatting: a decimal comma from the user's locale would break the CSS.
    unsigned nAlpha = (crRgba & 0xFF) * 1000 / 255;
    char sz[64];
    std::snprintf(sz, sizeof sz, "rgba(%u,%u,%u,%u.%03u)", (crRgba >> 24) & 0xFF,
                  (crRgba >> 16) & 0xFF, (crRgba >> 8) & 0xFF, nAlpha / 1000, nAlpha % 1000);
    return sz;
}

}  // namespace

SGtkEdit::SGtkEdit(SGtkWindow* pOwner, int nEditId) : m_pOwner(pOwner), m_nEditId(nEditId) {
    m_pEntry = gtk_entry_new();
    g_object_ref_sink(m_pEntry);
    gtk_entry_set_has_frame(GTK_ENTRY(m_pEntry), FALSE);
    // Otherwise GTK insists on a minimum of about 150 pixels.
    gtk_entry_set_width_chars(GTK_ENTRY(m_pEntry), 1);
    m_pCss = gtk_css_provider_new();
    gtk_style_context_add_provider(gtk_widget_get_style_context(m_pEntry),
                                   GTK_STYLE_PROVIDER(m_pCss),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    ApplyStyle();
    g_signal_connect(m_pEntry, "changed", G_CALLBACK(OnChanged), this);
    g_signal_connect(m_pEntry, "focus-in-event", G_CALLBACK(OnFocusIn), this);
    g_signal_connect(m_pEntry, "focus-out-event", G_CALLBACK(OnFocusOut), this);
    gtk_fixed_put(GTK_FIXED(m_pOwner->m_pFixed), m_pEntry, 0, 0);
}

SGtkEdit::~SGtkEdit() {
    g_signal_handlers_disconnect_by_data(m_pEntry, this);
    GtkWidget* pParent = gtk_widget_get_parent(m_pEntry);
    if (pParent)
        gtk_container_remove(GTK_CONTAINER(pParent), m_pEntry);
    g_object_unref(m_pEntry);
    g_object_unref(m_pCss);
}

void SGtkEdit::SetRect(int x, int y, int cx, int cy) {
    if (gtk_widget_get_parent(m_pEntry))
        gtk_fixed_move(GTK_FIXED(m_pOwner->m_pFixed), m_pEntry, x, y);
    gtk_widget_set_size_request(m_pEntry, cx > 1 ? cx : 1, cy > 1 ? cy : 1);
}

void SGtkEdit::SetFont(const std::wstring& strFace, int nPixelSize, bool bBold, bool bItalic,
                       bool bUnderline) {
    m_strFace = strFace.empty() ? std::string("Sans") : GtkTextFromWide(strFace);
    m_nPixelSize = nPixelSize > 0 ? nPixelSize : 12;
    m_bBold = bBold;
    m_bItalic = bItalic;
    m_bUnderline = bUnderline;
    ApplyStyle();
}

void SGtkEdit::SetColors(uint32_t crText, uint32_t crBackground) {
    m_crText = crText;
    m_crBackground = crBackground;
    ApplyStyle();
}

void SGtkEdit::ApplyStyle() {
    // The drawn control paints the frame; the entry is frameless and as small
    // as the rectangle it covers.
    std::string strColor = CssColor(m_crText);
    // The layout's face may lack CJK glyphs; the fallback keeps Chinese readable.
    std::string strCss =
        "entry { font-family: " + CssQuoted(m_strFace) +
        ", \"WenQuanYi Micro Hei\", sans-serif; font-size: " + std::to_string(m_nPixelSize) +
        "px; font-weight: " + (m_bBold ? "bold" : "normal") +
        "; font-style: " + (m_bItalic ? "italic" : "normal") +
        "; text-decoration-line: " + (m_bUnderline ? "underline" : "none") +
        "; color: " + strColor + "; caret-color: " + strColor +
        "; background: " + CssColor(m_crBackground) +
        "; border: none; box-shadow: none; outline: none;"
        " border-radius: 0; padding: 0 2px; min-height: 0; margin: 0; }";
    gtk_css_provider_load_from_data(m_pCss, strCss.c_str(), -1, nullptr);
}

void SGtkEdit::SetText(const std::wstring& strText) {
    std::string strUtf8 = GtkTextFromWide(strText);
    if (strUtf8 == gtk_entry_get_text(GTK_ENTRY(m_pEntry)))
        return;
    m_bSilent = true;
    gtk_entry_set_text(GTK_ENTRY(m_pEntry), strUtf8.c_str());
    m_bSilent = false;
}

std::wstring SGtkEdit::GetText() const {
    return GtkTextToWide(gtk_entry_get_text(GTK_ENTRY(m_pEntry)));
}

void SGtkEdit::SetVisible(bool bVisible) {
    gtk_widget_set_visible(m_pEntry, bVisible);
}

void SGtkEdit::SetReadOnly(bool bReadOnly) {
    gtk_editable_set_editable(GTK_EDITABLE(m_pEntry), !bReadOnly);
}

void SGtkEdit::SetPassword(bool bPassword) {
    gtk_entry_set_visibility(GTK_ENTRY(m_pEntry), !bPassword);
}

void SGtkEdit::Focus() {
    if (gtk_widget_get_visible(m_pEntry))
        gtk_widget_grab_focus(m_pEntry);
}

bool SGtkEdit::HasFocus() const {
    // The window's focus widget gets the keys whenever the window does, even
    // before the window manager (if any) has told GTK it is active.
    return gtk_widget_is_focus(m_pEntry);
}

void SGtkEdit::OnChanged(GtkEditable*, gpointer pThis) {
    auto* pEdit = static_cast<SGtkEdit*>(pThis);
    if (pEdit->m_bSilent)
        return;
    pEdit->m_pOwner->m_pListener->OnNativeEditChanged(pEdit->m_nEditId, pEdit->GetText());
}

gboolean SGtkEdit::OnFocusIn(GtkWidget*, GdkEvent*, gpointer pThis) {
    auto* pEdit = static_cast<SGtkEdit*>(pThis);
    pEdit->m_pOwner->m_pListener->OnNativeEditFocus(pEdit->m_nEditId, true);
    return FALSE;
}

gboolean SGtkEdit::OnFocusOut(GtkWidget*, GdkEvent*, gpointer pThis) {
    auto* pEdit = static_cast<SGtkEdit*>(pThis);
    pEdit->m_pOwner->m_pListener->OnNativeEditFocus(pEdit->m_nEditId, false);
    return FALSE;
}

}  // namespace SOUI
