#pragma once

#include <string>
#include <vector>

namespace platform {

// Hands a URL to the desktop, which opens it with the user's program for it
// (browser, mail, phone). Only the schemes in kSystemSchemes are handed
// over; anything else is refused with one log line. The URL reaches the
// opener program as one argument, never through a shell.
bool openURLWithSystem(const std::string& url);
// Whether openURLWithSystem would hand `url` over.
bool systemOpensURL(const std::string& url);

inline const std::vector<std::string> kSystemSchemes = {"http", "https", "mailto", "tel", "sms"};

// The program run with the URL as its only argument ("xdg-open"; tests set
// another). Returns the previous one.
std::string setSystemOpener(std::string program);
// Waits for the opener programs started so far to end (tests).
void waitForSystemOpeners();

} // namespace platform
