#include "game/ScreenFlags.h"

bool hasDied = false;
bool isJoyStick = false;
bool isTouch = false;
int16_t offset = 0;
bool canPowerUp = true;
