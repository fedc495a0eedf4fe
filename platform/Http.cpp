// HTTP through libcurl, one easy handle per request on a worker thread.
#include "platform/Http.h"

#include "platform/RunLoop.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <mutex>

namespace platform {

namespace {

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\"");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t\"");
    return s.substr(a, b - a + 1);
}

struct Transfer {
    std::string* body;
    size_t cap;
    bool overCap = false;
    const std::atomic<bool>* cancel;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    size_t n = size * count;
    if (n > t->cap - std::min(t->cap, t->body->size())) {
        t->overCap = true;
        return 0; // fails the transfer
    }
    t->body->append(data, n);
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    return (t->cancel && *t->cancel) || backgroundStopping() ? 1 : 0;
}

long millis(double seconds, double fallback) {
    if (!std::isfinite(seconds) || seconds <= 0) seconds = fallback;
    return long(std::min(seconds, 3600.0) * 1000);
}

void splitContentType(const char* type, HttpResponse& out) {
    if (!type) return;
    std::string t = type;
    size_t semi = t.find(';');
    out.mimeType = lower(trim(t.substr(0, semi)));
    while (semi != std::string::npos) {
        size_t next = t.find(';', semi + 1);
        std::string param = t.substr(semi + 1, next == std::string::npos ? next : next - semi - 1);
        size_t eq = param.find('=');
        if (eq != std::string::npos && lower(trim(param.substr(0, eq))) == "charset")
            out.textEncoding = lower(trim(param.substr(eq + 1)));
        semi = next;
    }
}

struct CurlUrl {
    CURLU* h = curl_url();
    ~CurlUrl() { curl_url_cleanup(h); }
    std::string get(CURLUPart part) const {
        char* s = nullptr;
        if (curl_url_get(h, part, &s, 0) != CURLUE_OK || !s) return {};
        std::string out = s;
        curl_free(s);
        return out;
    }
};

} // namespace

std::string urlScheme(const std::string& url) {
    size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0) return {};
    for (size_t i = 0; i < colon; ++i) {
        unsigned char c = url[i];
        bool ok = std::isalpha(c) || (i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.'));
        if (!ok) return {};
    }
    return lower(url.substr(0, colon));
}

std::string urlHost(const std::string& url) {
    std::string scheme = urlScheme(url);
    if (scheme != "http" && scheme != "https") return {};
    CurlUrl u;
    if (curl_url_set(u.h, CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return {};
    return lower(u.get(CURLUPART_HOST));
}

std::string resolveURL(const std::string& base, const std::string& relative) {
    // Absolute already (also "mailto:", which the URL parser does not read).
    if (!urlScheme(relative).empty()) return relative;
    CurlUrl u;
    if (!base.empty() && curl_url_set(u.h, CURLUPART_URL, base.c_str(), 0) != CURLUE_OK)
        return {};
    if (curl_url_set(u.h, CURLUPART_URL, relative.c_str(), 0) != CURLUE_OK) return {};
    return u.get(CURLUPART_URL);
}

std::string directoryURL(const std::string& url) {
    CurlUrl u;
    if (curl_url_set(u.h, CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return {};
    std::string path = u.get(CURLUPART_PATH);
    path = path.substr(0, path.rfind('/'));
    std::string host = u.get(CURLUPART_HOST);
    std::string port = u.get(CURLUPART_PORT);
    if (!port.empty()) host += ":" + port;
    return u.get(CURLUPART_SCHEME) + "://" + host + path + "/";
}

std::string percentEscape(const std::string& value) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (unsigned char c : value) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

HttpResponse httpGet(const HttpRequest& request, const CancelFlag& cancel) {
    HttpResponse out;
    std::string scheme = urlScheme(request.url);
    if (scheme != "http" && scheme != "https") {
        out.error = "unsupported URL scheme '" + scheme + "'";
        return out;
    }
    initCurl();
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        out.error = "cannot start a transfer";
        return out;
    }
    CURL* h = curl.get();
    Transfer transfer{&out.body, request.maxBodyBytes, false, cancel.get()};
    curl_slist* headers = nullptr;
    for (const auto& [name, value] : request.headers) {
        // A header line must stay one line.
        if ((name + value).find_first_of("\r\n") != std::string::npos) continue;
        headers = curl_slist_append(headers, (name + ": " + value).c_str());
    }
    char errorText[CURL_ERROR_SIZE] = "";

    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, request.redirects == Redirects::Follow ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, long(std::clamp(request.maxRedirects, 0, 20)));
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, millis(request.connectTimeout, 10));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, millis(request.timeout, 20));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request.maxBodyBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    // Ours, local: never through a proxy.
    curl_easy_setopt(h, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");

    CURLcode rc = curl_easy_perform(h);
    curl_slist_free_all(headers);

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (rc != CURLE_OK) {
        if (transfer.overCap || rc == CURLE_FILESIZE_EXCEEDED)
            out.error = "answer larger than " + std::to_string(request.maxBodyBytes) + " bytes";
        else if (rc == CURLE_ABORTED_BY_CALLBACK)
            out.error = "cancelled";
        else
            out.error = errorText[0] ? errorText : curl_easy_strerror(rc);
        out.body.clear();
        return out;
    }
    out.status = status;
    char* type = nullptr;
    curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type);
    splitContentType(type, out);
    char* effective = nullptr;
    curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective);
    out.url = effective ? effective : request.url;
    if (request.redirects == Redirects::StopAtFirst && status >= 300 && status < 400) {
        char* location = nullptr;
        curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
        if (location) out.redirectTo = location;
    }
    return out;
}

Ref<HttpTask> httpGetAsync(HttpRequest request,
                           std::function<void(const HttpResponse&)> completion) {
    RunLoop& loop = RunLoop::main(); // made here, on the main thread
    auto task = make<HttpTask>();
    CancelFlag cancel = task->cancelFlag();
    // Moved to the main thread with the response, so that whatever the
    // completion holds is let go of there.
    auto done = std::make_shared<std::function<void(const HttpResponse&)>>(std::move(completion));
    runInBackground([&loop, request = std::move(request), cancel, done]() mutable {
        auto response = std::make_shared<HttpResponse>(httpGet(request, cancel));
        loop.performOnMainThread(
            [cancel, response, done = std::move(done)] {
                if (!*cancel) (*done)(*response);
            },
            false);
    });
    return task;
}

} // namespace platform
