#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Short interface sounds played without blocking, mixed into the same output
// device as effects and music.
using SystemSoundID = uint32_t;

// Loads "name.type" from the application bundle, once: later calls for the
// same resource return the same id. 0 (logged) when the resource is missing,
// cannot be decoded or there is no audio device.
SystemSoundID systemSoundWithResource(const std::string& name, const std::string& type);

// Starts the sound and returns at once; overlapping plays mix. Unknown ids
// (0 included) are ignored.
void playSystemSound(SystemSoundID sound);

// True while any play of `sound` is still sounding.
bool systemSoundIsPlaying(SystemSoundID sound);

// Frees every loaded sound and lets go of the device (tests, shutdown).
void disposeSystemSounds();

} // namespace platform
