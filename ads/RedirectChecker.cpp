#include "ads/RedirectChecker.h"

using namespace platform;

RedirectChecker::RedirectChecker(const std::string& url, const std::string& userAgent,
                                 RedirectCheckerDelegate* delegate)
    : _delegate(delegate), url_(url) {
    HttpRequest request =
        AdSettings::shared().request(url, userAgent, kMaxBodyBytes, Redirects::StopAtFirst);
    // The completion runs only while the task is not cancelled, and the
    // checker cancels it before it goes.
    task_ = httpGetAsync(request, [this](const HttpResponse& r) { finished(r); });
}

RedirectChecker::~RedirectChecker() {
    cancel();
}

void RedirectChecker::cancel() {
    if (task_) task_->cancel();
    task_ = nullptr;
}

void RedirectChecker::finished(const HttpResponse& response) {
    Ref<RedirectChecker> keep(this);
    task_ = nullptr;
    if (response.redirected())
        _delegate->checker(this, response.redirectTo);
    else if (response.answered())
        _delegate->checker(this, response.body, response.mimeType, response.textEncoding);
    else
        _delegate->checker(this, AdError{"Orbit", 0, response.error});
}
