// Placeholder until the display set-up is built.
#include "game/MainFrm.h"

void CMainFrame::InitDirectDraw() {}
void CMainFrame::LoadSurfaces() {}
