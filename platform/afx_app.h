// The application object, start-up (AfxWinMain) and dialogs of the class library.
#pragma once

#include "platform/afx_window.h"

// Commands of the class library.
#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_PRINT_SETUP 0xE106
#define ID_APP_ABOUT 0xE140

class CWinThread : public CCmdTarget {
public:
    CWnd* m_pMainWnd = nullptr;

    virtual BOOL InitInstance();
    // The message loop: dispatches messages until WM_QUIT, then ExitInstance.
    virtual int Run();
    virtual int ExitInstance();

protected:
    int m_nExitCode = 0;
};

class CWinApp : public CWinThread {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCSTR m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;

    virtual BOOL InitApplication();
    BOOL OnCmdMsg(UINT nID) override;

protected:
    // The document commands: this program has no document templates, so they do nothing.
    afx_msg void OnFileNew();
    afx_msg void OnFileOpen();
    afx_msg void OnFilePrintSetup();

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
void AfxWinTerm();
// Start-up: AfxWinInit, InitApplication, InitInstance, then the message loop. Returns the exit code.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
void AfxPostQuitMessage(int nExitCode);

class CDataExchange {};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;
    // Shows the dialog of the template; -1 when the program carries no such template.
    virtual INT_PTR DoModal();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    DECLARE_MESSAGE_MAP()
};
