#pragma once

#include <cstdint>

// State the game screens share for the whole process, one copy: whichever
// screen runs sets it, and the next screen (and the player's ship) reads it.

// The ship is exploding or waiting to come back: input, firing and spawning
// stop.
extern bool hasDied;
// The joystick scheme is active.
extern bool isJoyStick;
// The drag scheme is active.
extern bool isTouch;
// Extra enemy speed of the drag scheme, added again when a life restarts.
extern int16_t offset;
// A new power-up may appear (only one is on screen or announced at a time).
extern bool canPowerUp;
