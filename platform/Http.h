#pragma once

#include "platform/Background.h"
#include "support/Ref.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// What a request does with an answer that redirects elsewhere.
enum class Redirects {
    Keep,        // the 3xx answer is the answer
    StopAtFirst, // stop there and report where it points (HttpResponse::redirectTo)
    Follow,      // follow up to maxRedirects, to http and https only
};

// An HTTP GET. Only http and https are spoken (for redirects too), TLS
// certificates and host names are verified, and nothing is kept between
// requests (no cookies, no cache).
struct HttpRequest {
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    Redirects redirects = Redirects::Keep;
    int maxRedirects = 5;
    // Longer bodies fail the request instead of being read on.
    size_t maxBodyBytes = size_t(256) << 10;
    double connectTimeout = 10; // seconds
    double timeout = 20;        // seconds, the whole exchange
};

struct HttpResponse {
    // Empty when an answer came (of any status); otherwise why none did.
    std::string error;
    long status = 0;
    std::string body;
    std::string mimeType;     // "text/html", lower case, without parameters
    std::string textEncoding; // the charset parameter, lower case ("utf-8")
    std::string url;          // the URL that answered (after redirects)
    std::string redirectTo;   // StopAtFirst: the absolute target of the redirect

    bool answered() const { return error.empty(); }
    // An answer with a 2xx status.
    bool succeeded() const { return error.empty() && status >= 200 && status < 300; }
    bool redirected() const { return !redirectTo.empty(); }
};

// Performs `request` on the calling thread, which it blocks (never call it on
// the main thread). Gives up early once `cancel` is set or the process ends.
HttpResponse httpGet(const HttpRequest& request, const CancelFlag& cancel = nullptr);

// A request running in the background. Its completion runs on the main
// thread unless it was cancelled first.
class HttpTask : public Object {
public:
    void cancel() { *cancel_ = true; }
    bool isCancelled() const { return *cancel_; }
    const CancelFlag& cancelFlag() const { return cancel_; }

private:
    CancelFlag cancel_ = makeCancelFlag();
};

// Runs `request` on a worker thread and hands the response to `completion`
// on the main thread (main thread only). Keep the task to cancel it: after
// cancel() the completion is never called. The completion is destroyed on
// the main thread, so it may hold references.
Ref<HttpTask> httpGetAsync(HttpRequest request,
                           std::function<void(const HttpResponse&)> completion);

// The scheme of `url` in lower case ("https"), or empty when it has none.
std::string urlScheme(const std::string& url);
// The host of an http(s) URL in lower case, or empty.
std::string urlHost(const std::string& url);
// `relative` read against `base` (an absolute `relative` stands alone);
// empty when either cannot be read.
std::string resolveURL(const std::string& base, const std::string& relative);
// "scheme://host[:port]/dir/" of an http(s) URL: its path without the last
// component. Empty when it cannot be read.
std::string directoryURL(const std::string& url);
// Every byte but letters, digits and "-_.~" as %XX (upper-case hex), so the
// value may stand anywhere in a query.
std::string percentEscape(const std::string& value);

} // namespace platform
