#pragma once

// Keeps track of the innermost dialog of one class being shown, so code that
// runs inside its modal loop (tests, nested dialogs) can reach it.
template <class T>
class CActiveDialog {
public:
    // The dialog being shown, innermost first; null when none is.
    static T* GetActive() { return s_pActive; }

protected:
    ~CActiveDialog() { LeaveActive(); }
    void EnterActive(T* pDlg) {
        m_pPrevActive = s_pActive;
        s_pActive = pDlg;
        m_bActive = true;
    }
    void LeaveActive() {
        if (m_bActive) {
            s_pActive = m_pPrevActive;
            m_bActive = false;
        }
    }

private:
    T* m_pPrevActive = nullptr;
    bool m_bActive = false;
    static inline T* s_pActive = nullptr;
};
