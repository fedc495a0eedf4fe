#include "ads/OrbitAdBrowserViewController.h"

#include "ads/AdSettings.h"
#include "ads/OrbitBannerView.h"
#include "platform/SystemOpener.h"
#include "platform/Window.h"
#include "platform/XmlDocument.h"
#include "support/Log.h"

using namespace platform;

namespace {

std::string notice(const std::string& text) {
    return "<body style='font-family:sans-serif;margin:24px;color:#555'><p>" + escapeMarkup(text) +
           "</p></body>";
}

} // namespace

OrbitAdBrowserViewController::OrbitAdBrowserViewController(std::string url)
    : _url(std::move(url)) {}

OrbitAdBrowserViewController::~OrbitAdBrowserViewController() {
    Keyboard::shared().removeResponder(this);
    if (task_) task_->cancel();
    if (_webView) _webView->setDelegate(nullptr);
}

void OrbitAdBrowserViewController::setScalesPageToFit(bool on) {
    scalesPageToFit_ = on;
    if (_webView) _webView->setScalesPageToFit(on);
}

void OrbitAdBrowserViewController::loadView() {
    Window* window = Window::main();
    Rect full = window ? window->bounds() : Rect(0, 0, 320, 480);
    auto root = make<View>(full);
    root->setBackgroundColor(rgba(1, 1, 1));
    float w = full.size.width, h = full.size.height;

    _webView = make<HtmlView>(Rect(0, 0, w, h - Toolbar::kHeight));
    _webView->setDelegate(this);
    _webView->setScalesPageToFit(scalesPageToFit_);
    _webView->setUserAgent(userAgent_);
    root->addSubview(_webView.get());

    toolbar_ = make<Toolbar>(Rect(0, h - Toolbar::kHeight, w, Toolbar::kHeight));
    toolbar_->setBarStyle(BarStyle::Black);
    toolbar_->setItems({make<BarButtonItem>("Done", BarButtonItemStyle::Done,
                                            ccSelector(this, &OrbitAdBrowserViewController::done)),
                        BarButtonItem::flexibleSpace()});
    root->addSubview(toolbar_.get());

    spinner_ = make<ActivityIndicatorView>(ActivityIndicatorStyle::White);
    Size s = spinner_->frame().size;
    spinner_->setFrame(
        Rect(w - 12 - s.width, (Toolbar::kHeight - s.height) / 2, s.width, s.height));
    toolbar_->addSubview(spinner_.get());
    setView(root.get());
}

void OrbitAdBrowserViewController::viewDidLoad() {
    Keyboard::shared().addResponder(this, Keyboard::kModalPriority);
    if (receivedData)
        show(*receivedData, mimeType, pageURL_);
    else
        loadURL(_url);
}

void OrbitAdBrowserViewController::loadData(std::string data, std::string type,
                                            std::string encoding, std::string url) {
    mimeType = std::move(type);
    textEncodingName = std::move(encoding);
    pageURL_ = std::move(url);
    if (isViewLoaded())
        show(data, mimeType, pageURL_);
    else
        receivedData = std::move(data);
}

void OrbitAdBrowserViewController::loadURL(const std::string& url) {
    if (task_) task_->cancel();
    task_ = nullptr;
    std::string scheme = urlScheme(url);
    if (scheme != "http" && scheme != "https") {
        ccLog("Ad browser: refused to load a URL with the scheme '%s'",
              scheme.empty() ? "(none)" : scheme.c_str());
        show(notice("This page cannot be shown."), "text/html", "");
        return;
    }
    HttpRequest request =
        AdSettings::shared().request(url, userAgent_, kMaxPageBytes, Redirects::Follow);
    // The task is cancelled before the controller goes.
    task_ = httpGetAsync(request, [this](const HttpResponse& r) {
        task_ = nullptr;
        if (!r.answered()) {
            show(notice("The page could not be loaded: " + r.error), "text/html", "");
            return;
        }
        mimeType = r.mimeType;
        textEncodingName = r.textEncoding;
        show(r.body, r.mimeType, r.url);
    });
    updateSpinner();
}

void OrbitAdBrowserViewController::show(const std::string& data, const std::string& type,
                                        const std::string& url) {
    view(); // made now if it was not
    std::string html;
    if (type.empty() || type == "text/html" || type == "application/xhtml+xml")
        html = data;
    else if (type == "text/plain")
        html = "<pre style='white-space:pre-wrap'>" + escapeMarkup(data) + "</pre>";
    else if (type.rfind("image/", 0) == 0)
        html = "<body style='margin:0'><img style='max-width:100%' src=\"" + escapeMarkup(url) +
               "\"></body>";
    else
        html = notice("This page cannot be shown.");
    // Relative links and pictures are read against the page's folder.
    _webView->loadHTMLString(html, url.empty() ? std::string() : directoryURL(url));
    _webView->setContentOffset(0);
    updateSpinner();
}

void OrbitAdBrowserViewController::updateSpinner() {
    if (!spinner_) return;
    if (task_ || (_webView && _webView->isLoading()))
        spinner_->startAnimating();
    else
        spinner_->stopAnimating();
}

void OrbitAdBrowserViewController::htmlViewDidFollowLink(HtmlView*, const std::string& url) {
    if (OrbitBannerView::isDeviceSupported(url)) {
        openURLWithSystem(url);
        return;
    }
    loadURL(url);
}

void OrbitAdBrowserViewController::htmlViewDidFinishLoad(HtmlView*) {
    updateSpinner();
}

bool OrbitAdBrowserViewController::keyDown(const std::string& key) {
    // Up over everything: no key reaches the game beneath.
    if (key == "escape")
        done();
    else if (_webView && (key == "up" || key == "down"))
        _webView->setContentOffset(_webView->contentOffset() +
                                   (key == "up" ? -1 : 1) * platform::View::kWheelStep);
    else if (_webView && (key == "pageup" || key == "pagedown")) {
        float page = _webView->bounds().size.height * platform::View::kPageShare;
        _webView->setContentOffset(_webView->contentOffset() + (key == "pageup" ? -page : page));
    }
    return true;
}

void OrbitAdBrowserViewController::done() {
    Ref<OrbitAdBrowserViewController> keep(this);
    Keyboard::shared().removeResponder(this);
    if (task_) task_->cancel();
    task_ = nullptr;
    updateSpinner();
    if (delegate_)
        delegate_->orbitAdBrowserControllerDidDismiss(this);
    else
        dismissModalViewControllerAnimated(true);
}
