// Windows of the class library: command targets, message maps, CWnd and CFrameWnd.
#pragma once

#include "platform/afx_core.h"
#include "platform/user.h"

#define afx_msg

class CCmdTarget;
class CDataExchange;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // 0 ends the table
    UINT nID;       // command id for WM_COMMAND entries
    LRESULT (*pfn)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                               \
protected:                                                  \
    static const AFX_MSGMAP* GetThisMessageMap();           \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                            \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                     \
        typedef theClass ThisClass;                                                       \
        typedef baseClass TheBaseClass;                                                   \
        static_assert(sizeof(ThisClass) > 0, "complete class");                           \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                 \
        {0, 0, nullptr}};                                                                 \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,           \
                                              &_messageEntries[0]};                       \
        return &messageMap;                                                               \
    }

#define ON_COMMAND(id, memberFxn)                                                         \
    {WM_COMMAND, static_cast<UINT>(id), [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {    \
         static_cast<ThisClass*>(p)->memberFxn();                                         \
         return 0;                                                                        \
     }},
#define ON_WM_CREATE()                                                                    \
    {WM_CREATE, 0, [](CCmdTarget* p, WPARAM, LPARAM l) -> LRESULT {                       \
         return static_cast<ThisClass*>(p)->OnCreate(reinterpret_cast<LPCREATESTRUCT>(l)); \
     }},
#define ON_WM_KEYDOWN()                                                                   \
    {WM_KEYDOWN, 0, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT {                    \
         static_cast<ThisClass*>(p)->OnKeyDown(static_cast<UINT>(w), LOWORD(l), HIWORD(l)); \
         return 0;                                                                        \
     }},
#define ON_WM_KEYUP()                                                                     \
    {WM_KEYUP, 0, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT {                      \
         static_cast<ThisClass*>(p)->OnKeyUp(static_cast<UINT>(w), LOWORD(l), HIWORD(l)); \
         return 0;                                                                        \
     }},
#define ON_WM_TIMER()                                                                     \
    {WM_TIMER, 0, [](CCmdTarget* p, WPARAM w, LPARAM) -> LRESULT {                        \
         static_cast<ThisClass*>(p)->OnTimer(static_cast<UINT>(w));                       \
         return 0;                                                                        \
     }},
#define ON_WM_SETCURSOR()                                                                 \
    {WM_SETCURSOR, 0, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT {                  \
         return static_cast<ThisClass*>(p)->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(w)), \
                                                        LOWORD(l), HIWORD(l));            \
     }},
#define ON_WM_CLOSE()                                                                     \
    {WM_CLOSE, 0, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {                          \
         static_cast<ThisClass*>(p)->OnClose();                                           \
         return 0;                                                                        \
     }},
#define ON_WM_DESTROY()                                                                   \
    {WM_DESTROY, 0, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {                        \
         static_cast<ThisClass*>(p)->OnDestroy();                                         \
         return 0;                                                                        \
     }},
#define ON_WM_NCDESTROY()                                                                 \
    {WM_NCDESTROY, 0, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {                      \
         static_cast<ThisClass*>(p)->OnNcDestroy();                                       \
         return 0;                                                                        \
     }},

// Something that receives messages through a message map.
class CCmdTarget : public CObject {
public:
    // Routes a command id through the message map; TRUE when a handler took it.
    virtual BOOL OnCmdMsg(UINT nID);
    // Looks `message` (and for WM_COMMAND the id) up through the maps, most derived first.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT nID) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* GetDesktopWindow();

    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();
    BOOL ShowWindow(int nCmdShow);
    void UpdateWindow();
    void GetWindowRect(LPRECT lpRect) const;

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The message pump's entry into the window: the message map, else the default procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The default processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone; a frame window deletes itself here.
    virtual void PostNcDestroy();
    virtual void DoDataExchange(CDataExchange* pDX);

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnTimer(UINT nIDEvent);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();

    DECLARE_MESSAGE_MAP()

private:
    friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
};

LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers (once) a window class that routes its messages to CWnd objects; returns its name.
LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                           HICON hIcon = nullptr);

class CCreateContext;

class CFrameWnd : public CWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    static const RECT rectDefault;
    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle = WS_VISIBLE,
                const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCSTR lpszMenuName = nullptr,
                DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
    BOOL OnCmdMsg(UINT nID) override;
    void AssertValid() const override;
    void Dump(CDumpContext& dc) const override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()
};
