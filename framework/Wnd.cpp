#include "Wnd.h"
#include <vector>

std::string CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> text(length + 1);
    ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    return text.data();
}

std::string CListBox::GetText(int index) const {
    LRESULT length = SendMessage(LB_GETTEXTLEN, (WPARAM)index);
    if (length == LB_ERR)
        return std::string();
    std::vector<char> text(length + 1);
    SendMessage(LB_GETTEXT, (WPARAM)index, (LPARAM)text.data());
    return text.data();
}

std::string CComboBox::GetLBText(int index) const {
    LRESULT length = SendMessage(CB_GETLBTEXTLEN, (WPARAM)index);
    if (length == CB_ERR)
        return std::string();
    std::vector<char> text(length + 1);
    SendMessage(CB_GETLBTEXT, (WPARAM)index, (LPARAM)text.data());
    return text.data();
}
