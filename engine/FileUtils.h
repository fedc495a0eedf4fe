#pragma once

#include <string>

class FileUtils {
public:
    // A path beginning with "/" is returned unchanged. Otherwise the last
    // component is a file name and the ones before it a sub-directory of the
    // application's resource directory; the found file's full path is
    // returned, or `relPath` unchanged when there is no such file.
    static std::string fullPathFromRelativePath(const std::string& relPath);
};
