#pragma once

// Hands the director what it needs from the rendering library (its frame-
// rate label). Call once at start-up, before the GL view is attached.
void registerRenderHooks();
