#pragma once
// The installer's layouts as real windows: the toolkit set up with the
// installer's resources, and host windows that record what reaches their maps.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/window/SHostDialog.h"
#include "toolkit/window/SHostWnd.h"
#include "tools/layout-preview/CPreviewEnv.h"

namespace gtkhosttest {

class CRecordingWnd : public SOUI::SHostWnd {
public:
    explicit CRecordingWnd(const wchar_t* pszLayout) : SOUI::SHostWnd(pszLayout) {}
    bool ProcessWindowMessage(SOUI::UINT uMsg, SOUI::WPARAM wParam, SOUI::LPARAM lParam,
                              SOUI::LRESULT& lResult) override;
    bool _HandleEvent(SOUI::EventArgs* pEvt) override;
    void OnBackendKeyDown(unsigned nKeyval, unsigned nModifiers) override {
        m_keys.push_back(nKeyval);
        SOUI::SHostWnd::OnBackendKeyDown(nKeyval, nModifiers);
    }
    int CountMessages(SOUI::UINT uMsg, SOUI::WPARAM wParam) const;

    std::vector<std::pair<SOUI::UINT, SOUI::WPARAM>> m_messages;
    std::vector<std::wstring> m_commands;
    std::vector<unsigned> m_keys;
};

// A dialog whose confirm button carries IDOK, as the installer's message box
// renumbers its buttons.
class COkDialog : public SOUI::SHostDialog {
public:
    explicit COkDialog(const wchar_t* pszLayout) : SOUI::SHostDialog(pszLayout) {}
    bool ProcessWindowMessage(SOUI::UINT uMsg, SOUI::WPARAM wParam, SOUI::LPARAM lParam,
                              SOUI::LRESULT& lResult) override;
};

// Sets up the toolkit with the modules beside the test program.
std::unique_ptr<CPreviewEnv> MakeEnv(PreviewLang lang);

// Creates the window on the GTK backend, places it and shows it; true once mapped.
bool ShowOnScreen(SOUI::SHostWnd& wnd, int x, int y, SOUI::SHostWnd* pOwner = nullptr);
// The window's place on the screen.
void ScreenPos(SOUI::SHostWnd& wnd, int& x, int& y);
unsigned long XidOf(SOUI::SHostWnd& wnd);
// Where a named control's centre is on the screen.
bool ControlCentre(SOUI::SHostWnd& wnd, const wchar_t* pszName, int& x, int& y);
bool ControlCentreById(SOUI::SHostWnd& wnd, int nID, int& x, int& y);

}  // namespace gtkhosttest
