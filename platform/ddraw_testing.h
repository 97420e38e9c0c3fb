// Test hooks of the DirectDraw stand-in: busy and lost surfaces on request, call counts, and a
// direct look at any surface's pixels. Surfaces not made by DirectDrawCreate's object are ignored.
#pragma once

#include "platform/ddraw.h"

namespace ddraw_testing {

// The next n calls of Lock without DDLOCK_WAIT answer DDERR_WASSTILLDRAWING.
void SetLockStillDrawing(IDirectDrawSurface* pdds, int n);
// Marks a surface lost (a primary takes its back buffer with it) until Restore is called.
void SetSurfaceLost(IDirectDrawSurface* pdds);
// The next n calls of CreateSurface fail with DDERR_OUTOFMEMORY.
void FailCreateSurface(int n);

int LockCalls(IDirectDrawSurface* pdds);
int RestoreCalls(IDirectDrawSurface* pdds);

// The surface's pixel memory (null for a surface that is not ours); *pPitch receives the row pitch.
BYTE* Pixels(IDirectDrawSurface* pdds, LONG* pPitch);

// Live DirectDraw objects, surfaces and palettes (tests look for leaks).
int LiveObjectCount();

}  // namespace ddraw_testing
