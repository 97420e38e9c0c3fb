// Test hook of the sprite: how many sprites are alive, so that tests can tell that every sprite an
// owner made is freed, and none twice.
#pragma once

namespace sprite_testing {

int LiveCount();

}  // namespace sprite_testing
