#include "engine/FileUtils.h"

#include "platform/Files.h"

std::string FileUtils::fullPathFromRelativePath(const std::string& relPath) {
    if (relPath.empty() || relPath.front() == '/') return relPath;
    // pathForResource joins the name with the resource directory, so the
    // sub-directory comes along with the file name.
    std::string found = platform::pathForResource(relPath, "");
    return found.empty() ? relPath : found;
}
