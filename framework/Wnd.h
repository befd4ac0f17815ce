// Thin wrappers over window handles: a window, and the controls the dialogs use.
#pragma once
#include <windows.h>
#include <string>

class CWnd {
public:
    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void SetWindowText(const char *text) { ::SetWindowTextA(m_hWnd, text); }
    std::string GetWindowText() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
};

class CButton : public CWnd {
public:
    int GetCheck() const { return (int)SendMessage(BM_GETCHECK); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, (WPARAM)check); }
};

class CListBox : public CWnd {
public:
    int GetCount() const { return (int)SendMessage(LB_GETCOUNT); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int AddString(const char *text) { return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)text); }
    int InsertString(int index, const char *text) {
        return (int)SendMessage(LB_INSERTSTRING, (WPARAM)index, (LPARAM)text);
    }
    std::string GetText(int index) const;
    int GetCurSel() const { return (int)SendMessage(LB_GETCURSEL); }
    int SetCurSel(int index) { return (int)SendMessage(LB_SETCURSEL, (WPARAM)index); }
};

class CComboBox : public CWnd {
public:
    int GetCount() const { return (int)SendMessage(CB_GETCOUNT); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int AddString(const char *text) { return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)text); }
    int GetCurSel() const { return (int)SendMessage(CB_GETCURSEL); }
    int SetCurSel(int index) { return (int)SendMessage(CB_SETCURSEL, (WPARAM)index); }
    std::string GetLBText(int index) const;
};
