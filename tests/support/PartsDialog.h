// The main dialog for tests in the test's own process, its handlers callable
// directly: whole (its start-up takes the tuner and starts the receiver), or
// without its start-up (no tuner, no receiver, no message) for tests of its parts.
#pragma once
#include "EpgMainDlg.h"

class COpenDialog : public CEpgMainDlg {
public:
    using CEpgMainDlg::OnCancel;
    using CEpgMainDlg::OnClose;
    using CEpgMainDlg::OnOK;
    using CEpgMainDlg::OnTimer;
};

class CPartsDialog : public COpenDialog {
protected:
    BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
};
