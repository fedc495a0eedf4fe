#pragma once

#include "platform/ui/ViewController.h"

// The platform screens the delegate flips in over the GL view when asked by
// "Settings" and "highScores". Until the real screens exist these are
// stand-ins: the title, a line saying what is coming, and a Done button
// (Escape too) that posts the screen's leave notification.
Ref<platform::ViewController> makeSettingsScreen();
Ref<platform::ViewController> makeHighScoresScreen();
