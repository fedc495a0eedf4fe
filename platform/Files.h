#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The user's Documents directory: set by the program's options, else
// $XDG_DATA_HOME/nebulark-skirmage, else ~/.local/share/nebulark-skirmage.
// Created on first use.
std::string documentsDirectory();
void setDocumentsDirectory(std::string dir);
// Documents directory joined with `name`.
std::string documentPath(const std::string& name);

// The application bundle: set by the program's options, else
// $NEBULARK_RESOURCES, else "resources" beside the program (a build tree),
// else the installed resources relative to the program's directory.
std::string resourceDirectory();
void setResourceDirectory(std::string dir);
// Full path of "name.type" in the bundle, or empty when there is none.
std::string pathForResource(const std::string& name, const std::string& type);

bool fileExists(const std::string& path);
// True when the file is gone afterwards (also when it was never there).
bool removeFile(const std::string& path);
// The whole file, or nothing when it cannot be read. Files larger than
// `maxBytes` are refused.
std::optional<std::vector<uint8_t>> readFile(const std::string& path,
                                             size_t maxBytes = size_t(256) << 20);
// Writes to a temporary file in the same directory, syncs it, renames it
// over `path` and syncs the directory: readers see the old or the new file.
bool writeFileAtomically(const std::string& path, const void* data, size_t size);

} // namespace platform
