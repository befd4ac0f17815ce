// The notice shown after the tuner was handed to another program: its name,
// "has started", "EPG data acquisition is stopped". Modeless, on the heap;
// constructing it makes its (hidden) window, and the object deletes itself
// when its window is destroyed.
#pragma once
#include "Dialog.h"

class CAbortNoticeDlg : public CDialog {
public:
    explicit CAbortNoticeDlg(CWnd *owner);
    ~CAbortNoticeDlg() override;

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    void PostNcDestroy() override;
    void OnOK() override;
};
