// A slot is a sprite pointer that is null while empty; the background and the game world keep all
// their sprites in slots.
#pragma once

#include "game/Sprite.h"

// Frees the sprite in the slot, if there is one, and leaves the slot empty.
inline void DestroySprite(CSprite*& pSlot) {
    if (pSlot == nullptr) return;
    pSlot->Destroy();
    pSlot = nullptr;
}
