#include "game/Tesselor.h"

#include "game/MainFrm.h"
#include "game/resource.h"

CTesselorApp theApp;

BEGIN_MESSAGE_MAP(CTesselorApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
ON_COMMAND(ID_FILE_OPEN, CWinApp::OnFileOpen)
ON_COMMAND(ID_FILE_PRINT_SETUP, CWinApp::OnFilePrintSetup)
END_MESSAGE_MAP()

CTesselorApp::CTesselorApp() : CWinApp(nullptr) {}

CTesselorApp::~CTesselorApp() = default;

BOOL CTesselorApp::InitInstance() {
    CMainFrame* pFrame = new CMainFrame;
    m_pMainWnd = pFrame;
    // When the window cannot be made, the frame may already be gone: touch it no more and end.
    if (!pFrame->CreateGameWindow()) {
        m_pMainWnd = nullptr;
        return FALSE;
    }
    m_pMainWnd->ShowWindow(m_nCmdShow);
    m_pMainWnd->UpdateWindow();
    return TRUE;
}

void CTesselorApp::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX) { CWnd::DoDataExchange(pDX); }
