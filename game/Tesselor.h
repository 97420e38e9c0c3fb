// The application object: creates the one frame window and shows it.
#pragma once

#include "platform/afx_app.h"

class CTesselorApp : public CWinApp {
public:
    CTesselorApp();
    ~CTesselorApp() override;

    BOOL InitInstance() override;

    afx_msg void OnAppAbout();
    DECLARE_MESSAGE_MAP()
};

// The about box. The program carries no template for it, so it shows nothing.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    DECLARE_MESSAGE_MAP()
};

extern CTesselorApp theApp;
