#pragma once

#include "ads/AdSettings.h"
#include "platform/Http.h"

#include <string>

class RedirectChecker;

// Told where a target leads. Exactly one of the three calls comes, on the
// main thread, unless the checker was cancelled first.
class RedirectCheckerDelegate {
public:
    virtual ~RedirectCheckerDelegate() = default;
    // The target redirects to `redirectURL` (absolute, any scheme).
    virtual void checker(RedirectChecker* checker, const std::string& redirectURL) = 0;
    // The target answered without a redirect.
    virtual void checker(RedirectChecker* checker, const std::string& data,
                         const std::string& mimeType, const std::string& textEncoding) = 0;
    virtual void checker(RedirectChecker* checker, const AdError& error) = 0;
};

// The preflight of an ad's target: one GET that stops at the first
// redirect, so that a target leading to something the system handles (a
// phone number, a mail) can be handed over instead of opened in the browser.
class RedirectChecker : public Object {
public:
    // Starts at once. The delegate is not held: cancel() before it goes.
    RedirectChecker(const std::string& url, const std::string& userAgent,
                    RedirectCheckerDelegate* delegate);
    ~RedirectChecker() override;

    void cancel();
    bool isRunning() const { return task_ != nullptr; }
    const std::string& url() const { return url_; }

    static constexpr size_t kMaxBodyBytes = size_t(512) << 10;

private:
    void finished(const platform::HttpResponse& response);

    RedirectCheckerDelegate* _delegate;
    std::string url_;
    Ref<platform::HttpTask> task_;
};
