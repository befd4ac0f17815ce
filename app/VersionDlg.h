// The version-information box, opened from the main dialog's window menu.
#pragma once
#include "Dialog.h"

class CVersionDlg : public CDialog {
public:
    explicit CVersionDlg(CWnd *parent = nullptr);
};
