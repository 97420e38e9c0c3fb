// The builders of the game's pictures, each painting in full colour; the quantiser turns them into
// palette pictures afterwards.
#pragma once
#include "Canvas.h"
#include "Text.h"

CCanvas BuildSpriteSheet(const CFontFace& font);
CCanvas BuildBackground00();  // city strip, edge of the cloud sea, cloud-sea tile
CCanvas BuildBackground01();  // the three cloud pieces on key
CCanvas BuildTitle(const CFontFace& font);
CCanvas BuildEnd(const CFontFace& font);
// The contact sheet: the (already quantised) sheet enlarged, every rectangle outlined and labelled.
CCanvas BuildContactSheet(const CCanvas& sheet, const CFontFace& font);
