// Dialogs from templates, modal or modeless, with per-message handlers and
// data exchange between controls and members.
#pragma once
#include "Wnd.h"
#include <string>

class CDialog;

// Posted to the main window when a callback of another library's failed in
// a way that nothing expected (CallWithoutUnwinding): its OnUnexpectedError runs.
constexpr UINT UnexpectedErrorMessage = WM_APP + 0x3FF;
void PostUnexpectedError();

// Runs a callback that another library calls: no exception may unwind into
// its frames (on i686 that ends in std::terminate), so one ends here and
// the main window is told.
template <typename Call> void CallWithoutUnwinding(Call call) {
    try {
        call();
    } catch (...) {
        PostUnexpectedError();
    }
}

// Direction of one data exchange: into the controls (load) or out of them (save).
struct CDataExchange {
    CDialog *dialog;
    BOOL saveAndValidate;
};

void DDX_Control(CDataExchange *pDX, int id, CWnd &control);
// The radio group that begins with control id: index of the ticked button.
void DDX_Radio(CDataExchange *pDX, int id, int &value);
void DDX_Text(CDataExchange *pDX, int id, std::string &value);

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd *parent = nullptr);
    virtual ~CDialog(); // destroys its window
    CDialog(const CDialog &) = delete;
    CDialog &operator=(const CDialog &) = delete;

    INT_PTR DoModal();
    // Modeless: the dialog stays open after the call returns.
    BOOL Create(UINT templateId, CWnd *parent = nullptr);
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // A message box owned by this dialog, with a caption of its own.
    int MessageBox(const char *text, const char *caption, UINT type = MB_OK);

    // Passes a message through IsDialogMessage of the open dialog it belongs
    // to, so that Enter, Esc and Tab work in modeless dialogs too.
    static bool RouteDialogMessage(MSG *message);

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange *pDX);
    // Called after the window is gone; a heap-owned modeless dialog deletes itself here.
    virtual void PostNcDestroy() {}
    // The dialog's message map: handle a message and return true, or return
    // false to pass it on to the base and to default processing (the only
    // way to pass it on: calling the default dialog procedure from here
    // would enter this dialog's procedure again, without end).
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result);
    // A handler failed in a way that nothing expected (an exception other
    // than a file exception): the dialog cannot be trusted to go on. By
    // default the message is shown (unless unattended) and the dialog ends.
    virtual void OnUnexpectedError();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    HWND CreateFromTemplate(HWND owner);
    // Enables the owner that this modal run disabled, once.
    void GiveBackOwner();

    UINT templateId;
    CWnd *parent;
    bool modal = false;
    HWND disabledOwner = nullptr; // the owner this modal run disabled
    bool modalDone = false;
    int modalResult = IDCANCEL;
};
