#include "game/MainFrm.h"

#include "audio/Midistrm.h"
#include "audio/wavelib.h"
#include "game/Background.h"
#include "game/GameWorld.h"
#include "game/resource.h"
#include "platform/afx_app.h"
#include "platform/screen.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_TIMER()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

namespace {
const UINT TIMER_ID = 0;
const UINT TIMER_PERIOD_MS = 50;
const int FRAMES_PER_TICK = 4;
const int FRAMES_PER_STAGE = 640;
const int GAME_OVER_DELAY = 200;

template <typename T>
void ReleaseAndNull(T*& p) {
    if (p != nullptr) {
        p->Release();
        p = nullptr;
    }
}
}  // namespace

CMainFrame::CMainFrame()
    : m_bKeyLeft(0),
      m_bKeyRight(0),
      m_bKeyUp(0),
      m_bKeyDown(0),
      m_bFire(0),
      m_bSpaceReleased(1),
      m_nGameState(GAME_STATE_TITLE),
      m_nFrameCount(0),
      m_nStage(0),
      m_nGameOverCount(0),
      m_pDD(nullptr),
      m_pddsPrimary(nullptr),
      m_pddsBack(nullptr),
      m_pPalette(nullptr),
      m_pddsBG00(nullptr),
      m_pddsBG01(nullptr),
      m_pddsSprites(nullptr),
      m_pddsTitle(nullptr),
      m_pddsEnd(nullptr),
      m_pDS(nullptr),
      m_pdsbExplosion(nullptr),
      m_pdsbHit(nullptr),
      m_pBackground(nullptr),
      m_pGame(nullptr),
      m_pMusic(nullptr) {}

// The frame owns everything it made. The music goes first (it stops its stream and waits for any
// restart under way), then the game, the sounds, the pictures and the display.
CMainFrame::~CMainFrame() {
    DeleteMusic();
    delete m_pGame;
    m_pGame = nullptr;
    delete m_pBackground;
    m_pBackground = nullptr;
    ReleaseAndNull(m_pdsbHit);
    ReleaseAndNull(m_pdsbExplosion);
    ReleaseAndNull(m_pDS);
    ReleaseAndNull(m_pddsEnd);
    ReleaseAndNull(m_pddsTitle);
    ReleaseAndNull(m_pddsSprites);
    ReleaseAndNull(m_pddsBG01);
    ReleaseAndNull(m_pddsBG00);
    ReleaseAndNull(m_pPalette);
    ReleaseAndNull(m_pddsBack);
    ReleaseAndNull(m_pddsPrimary);
    ReleaseAndNull(m_pDD);
}

BOOL CMainFrame::CreateGameWindow() {
    HICON hIcon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_MAINFRAME));
    HCURSOR hCursor = LoadCursorA(nullptr, IDC_ARROW);
    LPCSTR lpszClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, hCursor,
                                           reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1)), hIcon);
    RECT rect;
    CWnd::GetDesktopWindow()->GetWindowRect(&rect);
    return Create(lpszClass, "Tesselor", WS_VISIBLE, rect, nullptr, nullptr, WS_EX_TOPMOST, nullptr);
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;
    SetTimer(TIMER_ID, TIMER_PERIOD_MS, nullptr);
    InitDirectDraw();
    InitDirectSound();
    LoadSurfaces();
    NewGame();
    return 0;
}

void CMainFrame::InitDirectSound() {
    if (DirectSoundCreate(nullptr, &m_pDS, nullptr) != DS_OK || m_pDS == nullptr) {
        m_pDS = nullptr;
        return;
    }
    m_pDS->SetCooperativeLevel(GetSafeHwnd(), DSSCL_NORMAL);
    m_pdsbHit = CreateWaveBuffer(m_pDS, MAKEINTRESOURCE(IDR_WAVE_HIT), WAVE_SOURCE_RESOURCE);
    m_pdsbExplosion = CreateWaveBuffer(m_pDS, MAKEINTRESOURCE(IDR_WAVE_EXPLOSION), WAVE_SOURCE_RESOURCE);
}

void CMainFrame::NewGame() {
    // The game before this one is over: nothing refers to its background and game world any more.
    delete m_pBackground;
    delete m_pGame;

    m_pBackground = new CBackground(m_pddsBack, m_pddsBG00, m_pddsBG01);
    m_pBackground->CreateStage1();
    m_pBackground->CreateStage2();

    m_pGame = new CGameWorld(m_pddsBack, m_pddsSprites);
    m_pGame->CreatePlayer();
    m_pGame->SetSounds(m_pdsbExplosion, m_pdsbHit);
}

void CMainFrame::PlayMusic() {
    // Every way back to the title has stopped the last player; it can go.
    DeleteMusic();
    m_pMusic = new CMidiStream(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
    m_pMusic->Play(TRUE);
}

void CMainFrame::DeleteMusic() {
    if (m_pMusic != nullptr) {
        delete m_pMusic;
        m_pMusic = nullptr;
    }
}

void CMainFrame::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    switch (nChar) {
        case VK_ESCAPE:
            if (m_nGameState == GAME_STATE_TITLE) {
                PostMessage(WM_CLOSE, 0, 0);
            } else {
                NewGame();
                m_nFrameCount = 0;
                m_nStage = 0;
                m_nGameOverCount = 0;
                m_nGameState = GAME_STATE_TITLE;
                if (m_pMusic != nullptr) m_pMusic->Stop();
            }
            break;
        case VK_SPACE:
            if (m_nGameState == GAME_STATE_TITLE) {
                m_nGameState = GAME_STATE_START;
            } else {
                if (m_bSpaceReleased) m_bFire = 1;
                m_bSpaceReleased = 0;
            }
            break;
        case VK_LEFT:
            m_bKeyLeft = 1;
            break;
        case VK_UP:
            m_bKeyUp = 1;
            break;
        case VK_RIGHT:
            m_bKeyRight = 1;
            break;
        case VK_DOWN:
            m_bKeyDown = 1;
            break;
        default:
            break;
    }
    CFrameWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CMainFrame::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
    switch (nChar) {
        case VK_SPACE:
            m_bSpaceReleased = 1;
            break;
        case VK_LEFT:
            m_bKeyLeft = 0;
            break;
        case VK_UP:
            m_bKeyUp = 0;
            break;
        case VK_RIGHT:
            m_bKeyRight = 0;
            break;
        case VK_DOWN:
            m_bKeyDown = 0;
            break;
        default:
            break;
    }
    CFrameWnd::OnKeyUp(nChar, nRepCnt, nFlags);
}

void CMainFrame::OnTimer(UINT nIDEvent) {
    if (nIDEvent == TIMER_ID) {
        for (int i = 0; i < FRAMES_PER_TICK; ++i) RenderFrame();
    }
    CFrameWnd::OnTimer(nIDEvent);
}

BOOL CMainFrame::OnSetCursor(CWnd* /*pWnd*/, UINT /*nHitTest*/, UINT /*message*/) {
    SetCursor(nullptr);
    return FALSE;
}

void CMainFrame::CopyPicture(IDirectDrawSurface* pddsPicture) {
    if (m_pddsBack == nullptr || pddsPicture == nullptr) return;
    RECT rc;
    SetRect(&rc, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    HRESULT hr;
    do {
        hr = m_pddsBack->BltFast(0, 0, pddsPicture, &rc, DDBLTFAST_NOCOLORKEY);
    } while (hr == DDERR_WASSTILLDRAWING);
    // A lost surface is restored for the next frame; any other failure skips this copy only.
    if (hr == DDERR_SURFACELOST) RestoreSurfaces();
}

void CMainFrame::RenderFrame() {
    if (m_nGameState == GAME_STATE_START) {
        m_nGameState = GAME_STATE_PLAYING;
        PlayMusic();
    }
    if (m_nGameState != GAME_STATE_TITLE) {
        ++m_nFrameCount;
        if (m_nFrameCount % FRAMES_PER_STAGE == 0) ++m_nStage;
    }
    CopyPicture(m_pddsTitle);
    if (m_nGameState != GAME_STATE_TITLE) UpdateGame();
    if (m_pddsPrimary != nullptr) {
        HRESULT hr;
        do {
            hr = m_pddsPrimary->Flip(nullptr, 0);
        } while (hr == DDERR_WASSTILLDRAWING);
        if (hr == DDERR_SURFACELOST) RestoreSurfaces();
    }
}

void CMainFrame::UpdateGame() {
    if (m_pBackground != nullptr) m_pBackground->Update(m_nStage);
    if (m_pGame != nullptr) {
        m_pGame->RunStageScript(m_nFrameCount);
        m_pGame->CheckCollisions();
        m_pGame->UpdateEnemies();
        m_pGame->UpdatePlayer(m_bKeyLeft, m_bKeyRight, m_bKeyUp, m_bKeyDown, m_bFire);
    }
    m_bFire = 0;
    if (m_pGame != nullptr) {
        m_pGame->DrawShieldGauge();
        m_pGame->UpdateItems();
        m_pGame->AnimateExplosions();
    }
    CheckGameOver();
}

void CMainFrame::CheckGameOver() {
    if (m_pGame != nullptr && m_pGame->m_pPlayer == nullptr) ++m_nGameOverCount;
    if (m_nGameOverCount > GAME_OVER_DELAY) {
        if (m_pMusic != nullptr) m_pMusic->Stop();
        CopyPicture(m_pddsEnd);
    }
}

void CMainFrame::AssertValid() const { CFrameWnd::AssertValid(); }
void CMainFrame::Dump(CDumpContext& dc) const { CFrameWnd::Dump(dc); }
