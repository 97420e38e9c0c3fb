#include "platform/afx_app.h"

#include <cstdio>

#include "platform/platform_start.h"
#include "platform/resources.h"

namespace {
CWinApp* g_pApp = nullptr;
HINSTANCE g_hInstance = nullptr;
}  // namespace

// ---- CWinThread ----

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    m_nExitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

int CWinThread::ExitInstance() { return m_nExitCode; }

// ---- CWinApp ----

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName) { g_pApp = this; }

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitApplication() { return TRUE; }

BOOL CWinApp::OnCmdMsg(UINT nID) { return CCmdTarget::OnCmdMsg(nID); }

void CWinApp::OnFileNew() {}
void CWinApp::OnFileOpen() {}
void CWinApp::OnFilePrintSetup() {}

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetInstanceHandle() { return g_hInstance ? g_hInstance : GetModuleHandleA(nullptr); }

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR /*lpCmdLine*/, int nCmdShow) {
    g_hInstance = hInstance ? hInstance : GetModuleHandleA(nullptr);
    if (g_pApp != nullptr) {
        g_pApp->m_hInstance = g_hInstance;
        g_pApp->m_nCmdShow = nCmdShow;
        if (g_pApp->m_pszAppName == nullptr) g_pApp->m_pszAppName = "Tesselor";
    }
    return platform::Start() ? TRUE : FALSE;
}

void AfxWinTerm() { platform::Stop(); }

void AfxPostQuitMessage(int nExitCode) { ::PostQuitMessage(nExitCode); }

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) return 1;
    int nReturnCode = 1;
    if (AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow) && pApp->InitApplication()) {
        if (pApp->InitInstance()) {
            nReturnCode = pApp->Run();
        } else {
            if (pApp->m_pMainWnd != nullptr) pApp->m_pMainWnd->DestroyWindow();
            pApp->ExitInstance();
            nReturnCode = 1;
        }
    }
    AfxWinTerm();
    return nReturnCode;
}

// ---- CDialog ----

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}
CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    if (FindResourceA(AfxGetInstanceHandle(), MAKEINTRESOURCE(m_nIDTemplate), RT_DIALOG) == nullptr) return -1;
    // The program carries no dialog templates, so there is nothing more a dialog could show.
    return -1;
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}
