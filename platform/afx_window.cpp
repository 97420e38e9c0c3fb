#include "platform/afx_window.h"

#include <map>

#include "platform/afx_app.h"
#include "platform/screen.h"

namespace {

std::map<HWND, CWnd*>& HandleMap() {
    static std::map<HWND, CWnd*> map;
    return map;
}

// The window object whose window is being created: it is attached on its first message.
CWnd* g_pWndInit = nullptr;

// The message being handled, for Default(). Kept outside the window object: a handler may delete
// the window (a frame deletes itself on WM_NCDESTROY), and nothing may touch it afterwards.
thread_local MSG t_msgCur{};

const AFX_MSGMAP_ENTRY kNoEntries[] = {{0, 0, nullptr}};
const AFX_MSGMAP kCmdTargetMap = {nullptr, &kNoEntries[0]};

}  // namespace

// ---- CCmdTarget ----

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() { return &kCmdTargetMap; }
const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT nID) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage != 0; ++e) {
            if (e->nMessage == message && (message != WM_COMMAND || e->nID == nID)) return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID) {
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_COMMAND, nID);
    if (e == nullptr) return FALSE;
    e->pfn(this, nID, 0);
    return TRUE;
}

// ---- CWnd ----

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_hWnd != nullptr) {
        HandleMap().erase(m_hWnd);
        HWND hWnd = m_hWnd;
        m_hWnd = nullptr;
        ::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    auto it = HandleMap().find(hWnd);
    return it == HandleMap().end() ? nullptr : it->second;
}

CWnd* CWnd::GetDesktopWindow() {
    // Never destroyed: the desktop is not ours to destroy, and a destructor run by exit() would
    // unhook it from a handle map that may be gone already.
    static CWnd* pDesktop = new CWnd;
    pDesktop->m_hWnd = ::GetDesktopWindow();
    return pDesktop;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& /*cs*/) { return TRUE; }

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT /*nID*/, LPVOID lpParam) {
    CREATESTRUCT cs{};
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.dwExStyle = dwExStyle;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    CWnd* previous = g_pWndInit;
    g_pWndInit = this;
    HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                  cs.cx, cs.cy, pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr,
                                  AfxGetInstanceHandle(), cs.lpCreateParams);
    bool attached = g_pWndInit == nullptr;
    g_pWndInit = previous;
    if (hWnd == nullptr) {
        // A window that never got a message was not attached: it is still ours to clean up.
        if (!attached) PostNcDestroy();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}
LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    MSG saved = t_msgCur;
    t_msgCur = MSG{m_hWnd, message, wParam, lParam, 0};
    LRESULT result;
    if (message == WM_COMMAND) {
        result = OnCmdMsg(LOWORD(wParam)) ? 0 : DefWindowProc(message, wParam, lParam);
    } else if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, 0)) {
        result = e->pfn(this, wParam, lParam);
    } else {
        result = DefWindowProc(message, wParam, lParam);
    }
    t_msgCur = saved;
    return result;
}

LRESULT CWnd::Default() { return DefWindowProc(t_msgCur.message, t_msgCur.wParam, t_msgCur.lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

void CWnd::PostNcDestroy() {}
void CWnd::DoDataExchange(CDataExchange*) {}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnTimer(UINT) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnClose() { Default(); }
void CWnd::OnDestroy() { Default(); }

void CWnd::OnNcDestroy() {
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) {
        AfxPostQuitMessage(0);
        pApp->m_pMainWnd = nullptr;
    }
    Default();
    HandleMap().erase(m_hWnd);
    m_hWnd = nullptr;
    PostNcDestroy();
}

LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandle(hWnd);
    if (pWnd == nullptr && g_pWndInit != nullptr) {
        pWnd = g_pWndInit;
        g_pWndInit = nullptr;
        pWnd->m_hWnd = hWnd;
        HandleMap()[hWnd] = pWnd;
    }
    if (pWnd == nullptr) return ::DefWindowProcA(hWnd, message, wParam, lParam);
    return pWnd->WindowProc(message, wParam, lParam);
}

LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    // One class per icon is enough for this program; the name says what it is.
    static char name[64];
    std::snprintf(name, sizeof(name), "Afx:%x:%p", nClassStyle, static_cast<void*>(hIcon));
    ::RegisterClassA(name, &AfxWndProc, nClassStyle, hIcon, hCursor, hbrBackground);
    return name;
}

// ---- CFrameWnd ----

const RECT CFrameWnd::rectDefault = {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() = default;
CFrameWnd::~CFrameWnd() {
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) pApp->m_pMainWnd = nullptr;
}

BOOL CFrameWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCSTR /*lpszMenuName*/, DWORD dwExStyle, CCreateContext* pContext) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, 0, pContext);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT) { return 0; }

BOOL CFrameWnd::OnCmdMsg(UINT nID) {
    if (CWnd::OnCmdMsg(nID)) return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID);
}

void CFrameWnd::AssertValid() const { CWnd::AssertValid(); }
void CFrameWnd::Dump(CDumpContext& dc) const { CWnd::Dump(dc); }

// A frame window owns itself: once its window is gone it deletes itself.
void CFrameWnd::PostNcDestroy() { delete this; }
