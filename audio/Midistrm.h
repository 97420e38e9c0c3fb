// The music player: one song of ready-made MIDI stream buffers, played and looped on the MIDI mapper.
#pragma once

#include "platform/afx_core.h"

class CMidiStream : public CObject {
public:
    CMidiStream();
    CMidiStream(UINT nID, HINSTANCE hInst);
    ~CMidiStream() override;

    BOOL IsLoaded();
    BOOL Play(BOOL bLoop);
    BOOL Stop();
};
