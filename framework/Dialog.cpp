#include "Dialog.h"
#include "App.h"
#include "File.h"
#include <algorithm>
#include <vector>

namespace {
// Every dialog window currently open on this thread, in creation order.
std::vector<HWND> openDialogs;
} // namespace

void DDX_Control(CDataExchange *pDX, int id, CWnd &control) {
    if (!control.m_hWnd)
        control.m_hWnd = pDX->dialog->GetDlgItem(id);
}

void DDX_Radio(CDataExchange *pDX, int id, int &value) {
    HWND button = pDX->dialog->GetDlgItem(id);
    if (pDX->saveAndValidate)
        value = -1;
    // The group runs from its first button up to the next control that starts a group.
    for (int index = 0; button; button = GetWindow(button, GW_HWNDNEXT)) {
        LONG style = GetWindowLongA(button, GWL_STYLE);
        if (index > 0 && (style & WS_GROUP))
            break;
        LONG kind = style & BS_TYPEMASK;
        if (kind != BS_RADIOBUTTON && kind != BS_AUTORADIOBUTTON)
            continue;
        if (pDX->saveAndValidate) {
            if (SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_Text(CDataExchange *pDX, int id, std::string &value) {
    CWnd control;
    control.m_hWnd = pDX->dialog->GetDlgItem(id);
    if (pDX->saveAndValidate)
        value = control.GetWindowText();
    else
        control.SetWindowText(value.c_str());
}

CDialog::CDialog(UINT id, CWnd *parentWindow) : templateId(id), parent(parentWindow) {}

CDialog::~CDialog() {
    if (m_hWnd && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
}

HWND CDialog::CreateFromTemplate(HWND owner) {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                              DialogProc, (LPARAM)this);
}

INT_PTR CDialog::DoModal() {
    // Without a parent the application's main window owns the dialog, unless
    // this dialog is itself the main window.
    HWND owner = parent ? parent->m_hWnd : nullptr;
    CWnd *mainWindow = CWinApp::Current() ? CWinApp::Current()->m_pMainWnd : nullptr;
    if (!owner && mainWindow && mainWindow != this)
        owner = mainWindow->m_hWnd;

    modal = true;
    modalDone = false;
    modalResult = IDCANCEL;
    if (!CreateFromTemplate(owner))
        return -1;
    // Only an owner that this run disables is enabled again at its end: one
    // that was disabled already (by a modal run below this one) stays so.
    disabledOwner = owner && ::IsWindowEnabled(owner) ? owner : nullptr;
    if (disabledOwner)
        ::EnableWindow(disabledOwner, FALSE);
    if (!modalDone && !IsWindowVisible(m_hWnd))
        ShowWindow(m_hWnd, SW_SHOWNORMAL);

    MSG message;
    while (!modalDone) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage((int)message.wParam);
            break;
        }
        if (got == -1)
            break;
        if (!RouteDialogMessage(&message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    GiveBackOwner(); // when the loop ended without EndDialog (a quit message)
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    modal = false;
    return modalResult;
}

BOOL CDialog::Create(UINT id, CWnd *parentWindow) {
    templateId = id;
    parent = parentWindow;
    modal = false;
    return CreateFromTemplate(parent ? parent->m_hWnd : nullptr) != nullptr;
}

void CDialog::GiveBackOwner() {
    if (disabledOwner)
        ::EnableWindow(disabledOwner, TRUE);
    disabledOwner = nullptr;
}

void CDialog::EndDialog(int result) {
    if (modal) {
        modalResult = result;
        modalDone = true;
        // The owner is enabled before the dialog hides: hidden first, the
        // dialog would hand activation to no window of ours while its owner
        // is still disabled, and the keyboard would be lost.
        GiveBackOwner();
        ShowWindow(m_hWnd, SW_HIDE);
        // Reached inside a message sent from another thread, the modal loop
        // still waits in GetMessage: a posted message lets it see the end now.
        PostMessageA(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange{this, saveAndValidate};
    DoDataExchange(&exchange);
    return TRUE;
}

int CDialog::MessageBox(const char *text, const char *caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

bool CDialog::RouteDialogMessage(MSG *message) {
    // The newest dialog first: a notice opened over the modal dialog gets its own keys.
    for (auto it = openDialogs.rbegin(); it != openDialogs.rend(); ++it) {
        HWND dialog = *it;
        if (message->hwnd == dialog || IsChild(dialog, message->hwnd))
            return IsDialogMessageA(dialog, message) != FALSE;
    }
    return false;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange *) {}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT &) {
    return false;
}

void CDialog::OnUnexpectedError() {
    ReportUnexpectedError();
    EndDialog(IDCANCEL);
}

void PostUnexpectedError() {
    CWinApp *app = CWinApp::Current();
    if (app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
        PostMessageA(app->m_pMainWnd->m_hWnd, UnexpectedErrorMessage, 0, 0);
}

namespace {
// Messages whose result is the dialog procedure's own return value, not the
// one kept in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}
} // namespace

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage(message, wParam, lParam, result)) {
        if (ReturnsResultDirectly(message))
            return (INT_PTR)result;
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    // Enter, Esc, the OK and Cancel buttons, and the close box (which sends IDCANCEL);
    // code 0 is a click or a menu item, 1 an accelerator.
    if (message == WM_COMMAND && HIWORD(wParam) <= 1) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog *dialog;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog *>(lParam);
        dialog->m_hWnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)dialog);
    } else {
        dialog = reinterpret_cast<CDialog *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    // Messages that arrive before WM_INITDIALOG (WM_SETFONT and the creation
    // messages) find no object yet and get default processing.
    if (!dialog)
        return FALSE;

    // No exception leaves this procedure: the system's frames lie beyond it.
    INT_PTR handled = FALSE;
    try {
        if (message == WM_INITDIALOG) {
            openDialogs.push_back(hwnd);
            handled = dialog->OnInitDialog();
        } else if (message == UnexpectedErrorMessage)
            dialog->OnUnexpectedError();
        else
            handled = dialog->Dispatch(message, wParam, lParam);
    } catch (const CFileException &error) {
        // A file error that no handler caught ends that handler only; the dialog goes on.
        ReportFileError(error);
        handled = TRUE;
    } catch (...) {
        try {
            dialog->OnUnexpectedError();
        } catch (...) {
            dialog->EndDialog(IDCANCEL);
        }
        handled = TRUE;
    }

    if (message == WM_NCDESTROY) {
        openDialogs.erase(std::remove(openDialogs.begin(), openDialogs.end(), hwnd),
                          openDialogs.end());
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        dialog->m_hWnd = nullptr;
        dialog->PostNcDestroy(); // may delete the object: touch nothing after it
    }
    return handled;
}
