#include "ads/OrbitBannerView.h"

#include "platform/AppNotifications.h"
#include "platform/Device.h"
#include "platform/Http.h"
#include "platform/System.h"
#include "platform/SystemOpener.h"
#include "platform/XmlDocument.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "support/Log.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

using namespace platform;

namespace {

constexpr Size kBannerSize(320, 50);

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// A banner side from the answer: its own number when that is a sensible
// size, else the picture's; never larger than the banner.
float bannerSide(const std::string& text, int pictureSide, float most) {
    std::string t = trim(text);
    float v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || !std::isfinite(v) || v <= 0) v = float(pictureSide);
    return std::clamp(v, 1.0f, most);
}

// The leading integer of `text` (0 when there is none), as seconds of
// refresh: negative is none, and very long is cut.
int refreshSeconds(const std::string& text) {
    std::string t = trim(text);
    long long v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec == std::errc::result_out_of_range)
        v = t[0] == '-' ? 0 : OrbitBannerView::kMaxRefreshInterval;
    else if (ec != std::errc())
        v = 0;
    return int(std::clamp<long long>(v, 0, OrbitBannerView::kMaxRefreshInterval));
}

Ref<DecodedImage> blackPicture(Size size) {
    int w = int(size.width), h = int(size.height);
    std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4, 0);
    for (size_t i = 3; i < rgba.size(); i += 4)
        rgba[i] = 255;
    return DecodedImage::imageWithRGBA(w, h, std::move(rgba), ImageAlpha::None);
}

ViewAnimationTransition transitionKind(int kind) {
    switch (kind) {
    case 1:
        return ViewAnimationTransition::FlipFromLeft;
    case 2:
        return ViewAnimationTransition::FlipFromRight;
    default:
        return ViewAnimationTransition::None;
    }
}

} // namespace

OrbitBannerView::OrbitBannerView(Rect frame) : View(frame) {
    setup();
    setBackgroundColor(ccColor4F{0, 0, 0, 0});
}

OrbitBannerView::~OrbitBannerView() {
    cancelAdRequests();
}

void OrbitBannerView::setup() {
    refreshAnimation_ = 1;
    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(this, ccSelector(this, &OrbitBannerView::appDidBecomeActive),
                       kApplicationDidBecomeActiveNotification);
    center.addObserver(this, ccSelector(this, &OrbitBannerView::appWillResignActive),
                       kApplicationWillResignActiveNotification);
}

void OrbitBannerView::appDidBecomeActive(Notification*) {
    setRefreshTimerActive(true);
}

void OrbitBannerView::appWillResignActive(Notification*) {
    setRefreshTimerActive(false);
}

void OrbitBannerView::cancelAdRequests() {
    if (cancelled_) return;
    cancelled_ = true;
    NotificationCenter::defaultCenter().removeObserver(this);
    delegate_ = nullptr;
    if (request_) *request_ = true;
    request_ = nullptr;
    if (checker_) checker_->cancel();
    checker_ = nullptr;
    if (_refreshTimer) _refreshTimer->invalidate();
    _refreshTimer = nullptr;
    // An ad still held by a flip no longer reaches the banner.
    std::function<void(View*)> untarget = [&](View* v) {
        if (auto* control = dynamic_cast<Control*>(v)) control->removeTarget();
        for (const Ref<View>& sub : v->subviews())
            untarget(sub.get());
    };
    untarget(this);
    // A browser still up takes itself down when Done is pressed.
    if (browser_) browser_->setDelegate(nullptr);
    browser_ = nullptr;
}

void OrbitBannerView::setDelegate(OrbitBannerViewDelegate* delegate) {
    if (delegate == delegate_ || cancelled_) return;
    delegate_ = delegate;
    requestAd();
}

std::string OrbitBannerView::userAgent() {
    return "Orbit/3.0 (" + deviceModel() + ")";
}

std::string OrbitBannerView::requestQuery(const std::string& publisherId,
                                          const std::string& section) {
    const std::pair<const char*, std::string> fields[] = {
        {"rt", "iphone_app"},
        {"u", userAgent()},
        {"o", md5Hex(deviceIdentifier(), true)},
        {"v", "3.0"},
        {"m", "live"},
        {"s", publisherId},
        {"iphone_osversion", systemVersion()},
        {"spot_id", section},
    };
    std::string query;
    for (const auto& [key, value] : fields) {
        if (!query.empty()) query += '&';
        query += std::string(key) + "=" + percentEscape(value);
    }
    return query;
}

bool OrbitBannerView::isDeviceSupported(const std::string& url) {
    // The desktop has no map, video or store application of its own, so
    // no web address is one of them.
    std::string scheme = urlScheme(url);
    return (scheme == "tel" || scheme == "sms" || scheme == "mailto") && systemOpensURL(url);
}

std::string OrbitBannerView::errorLabelText() const {
    auto* label = dynamic_cast<Label*>(errorLabel_.get());
    return label && label->superview() == this ? label->text() : std::string();
}

void OrbitBannerView::showErrorLabel(const std::string& text) {
    if (errorLabel_) errorLabel_->removeFromSuperview();
    auto label = make<Label>(bounds(), text);
    label->setNumberOfLines(0);
    label->setBackgroundColor(rgba(1, 1, 1));
    label->setFont(Font::boldSystemFont(12));
    label->setTextAlignment(TextAlignment::Center);
    label->setTextColor(rgba(1, 0, 0));
    label->setShadowColor(rgba(0, 0, 0));
    addSubview(label.get());
    errorLabel_ = label;
}

void OrbitBannerView::requestAd() {
    if (cancelled_) return;
    if (!delegate_) {
        showErrorLabel("OrbitBannerViewDelegate not set");
        return;
    }
    std::optional<std::string> publisherId = delegate_->publisherIdForOrbitBannerView(this);
    if (!publisherId) {
        showErrorLabel("OrbitBannerViewDelegate does not implement publisherIdForOrbitBannerView:");
        return;
    }
    if (publisherId->empty()) {
        showErrorLabel("OrbitBannerViewDelegate returned invalid publisher ID.");
        return;
    }
    asyncRequestAdWithPublisherId(*publisherId);
}

void OrbitBannerView::asyncRequestAdWithPublisherId(const std::string& publisherId) {
    // The newest request wins.
    if (request_) *request_ = true;
    request_ = makeCancelFlag();

    const AdSettings& settings = AdSettings::shared();
    HttpRequest request = settings.request(
        settings.url("/request.php?" + requestQuery(publisherId, advertisingSection_)), userAgent(),
        kMaxAnswerBytes, Redirects::Follow);
    request.headers.emplace_back("Accept", "text/xml");
    HttpRequest picture = settings.request("", userAgent(), kMaxImageBytes, Redirects::Follow);

    RunLoop& loop = RunLoop::main();
    runInBackground([&loop, request, picture, cancel = request_, this]() mutable {
        HttpResponse answer = httpGet(request, cancel);
        std::shared_ptr<XmlDocument> doc;
        if (answer.succeeded())
            doc = XmlDocument::parse(answer.body.data(), answer.body.size(), kMaxAnswerBytes);
        Ref<DecodedImage> image;
        std::string imageURL = doc ? trim(doc->root().childText("imageurl")) : std::string();
        if (!imageURL.empty() && !*cancel) {
            picture.url = imageURL;
            HttpResponse got = httpGet(picture, cancel);
            if (got.succeeded())
                image =
                    DecodedImage::imageWithData(reinterpret_cast<const uint8_t*>(got.body.data()),
                                                got.body.size(), kMaxImageSide);
        }
        // `this` is reached on the main thread only, and only while the
        // request stands: the banner cancels it before it goes.
        loop.performOnMainThread(
            [cancel, doc, image = std::move(image), this]() mutable {
                if (*cancel) return;
                request_ = nullptr;
                if (!doc)
                    reportError("Error parsing xml response from server", 0);
                else
                    setUpAd(doc->root(), std::move(image));
            },
            false);
    });
}

void OrbitBannerView::reportError(const std::string& description, int code) {
    bannerLoaded_ = false;
    if (delegate_) delegate_->orbitBannerView(this, AdError{"Orbit", code, description});
}

void OrbitBannerView::setUpAd(const XmlElement& root, Ref<DecodedImage> image) {
    // The delegate may let the banner go while it is told.
    Ref<OrbitBannerView> keep(this);
    if (cancelled_) return;
    if (root.name() == "error") {
        reportError(root.text(), 0);
        return;
    }
    _tapThroughLeavesApp = trim(root.childText("clicktype")) != "inapp";
    _tapThroughURL = trim(root.childText("clickurl"));
    _shouldScaleWebView = trim(root.childText("scale")) == "yes";
    _shouldSkipLinkPreflight = trim(root.childText("skippreflight")) == "yes";

    Size room = bounds().size.width > 0 && bounds().size.height > 0 ? bounds().size : kBannerSize;
    std::string type = root.attribute("type");
    if (type == "imageAd") {
        if (!image) {
            reportError("Error loading banner image", 0);
            return;
        }
        _bannerImage = image;
        float w = bannerSide(root.childText("bannerwidth"), image->width(), room.width);
        float h = bannerSide(root.childText("bannerheight"), image->height(), room.height);
        auto button = make<Button>(Rect(0, 0, w, h), ButtonType::Custom);
        button->setImage(image);
        button->addTarget(ccSelector(this, &OrbitBannerView::tapThrough),
                          ControlEventTouchUpInside);
        showAdView(button.get());
    } else if (type == "textAd") {
        // The page has no delegate: the view may outlive the banner while it
        // flips out, and the button over it takes the taps.
        auto web = make<HtmlView>(Rect(Point(), kBannerSize));
        web->loadHTMLString(root.childText("htmlString"), "");
        auto button = make<Button>(Rect(Point(), kBannerSize), ButtonType::Custom);
        button->setAlpha(0.47f);
        button->setImage(blackPicture(kBannerSize), ControlStateHighlighted);
        button->addTarget(ccSelector(this, &OrbitBannerView::tapThrough),
                          ControlEventTouchUpInside);
        web->addSubview(button.get());
        showAdView(web.get());
    } else if (type == "noAd") {
        reportError("No inventory for ad request", 2);
    } else if (type == "error") {
        reportError("Unknown error", 0);
        return;
    } else {
        reportError("Unknown ad type '" + type + "'", 0);
        return;
    }
    if (cancelled_) return;
    _refreshInterval = refreshSeconds(root.childText("refresh"));
    setRefreshTimerActive(true);
}

void OrbitBannerView::showAdView(View* adView) {
    if (errorLabel_) errorLabel_->removeFromSuperview();
    errorLabel_ = nullptr;
    if (bounds().size.width <= 0 || bounds().size.height <= 0)
        setFrame(Rect(frame().origin, adView->bounds().size));
    Rect b = bounds();
    adView->setCenter(Point(b.size.width / 2, b.size.height / 2));

    std::vector<Ref<View>> earlier = subviews();
    if (!earlier.empty()) {
        View::beginAnimations("flip");
        View::setAnimationDuration(kFlipDuration);
        View::setAnimationTransition(transitionKind(refreshAnimation_), this, true);
    }
    addSubview(adView);
    for (const Ref<View>& v : earlier)
        v->removeFromSuperview();
    if (!earlier.empty()) {
        View::commitAnimations();
        return;
    }
    bannerLoaded_ = true;
    if (delegate_) delegate_->orbitBannerViewDidLoadOrbitAd(this);
}

void OrbitBannerView::setRefreshTimerActive(bool active) {
    if (active == (_refreshTimer != nullptr)) return;
    if (!active) {
        _refreshTimer->invalidate();
        _refreshTimer = nullptr;
        return;
    }
    if (bannerViewActionInProgress_ || _refreshInterval == 0 || cancelled_) return;
    // The banner invalidates the timer before it goes.
    _refreshTimer =
        RunLoop::main().scheduleTimer(double(_refreshInterval), true, [this] { requestAd(); });
}

void OrbitBannerView::tapThrough(Control*) {
    Ref<OrbitBannerView> keep(this);
    // One action at a time.
    if (cancelled_ || bannerViewActionInProgress_) return;
    if (delegate_) {
        std::optional<bool> go =
            delegate_->orbitBannerViewActionShouldBegin(this, _tapThroughLeavesApp);
        if (go && !*go) return;
    }
    if (_tapThroughLeavesApp || isDeviceSupported(_tapThroughURL)) {
        openURLWithSystem(_tapThroughURL);
        return;
    }
    if (!ViewController::controllerForView(this)) {
        ccLog("Unable to find view controller for presenting modal ad browser");
        return;
    }
    setRefreshTimerActive(false);
    if (_shouldSkipLinkPreflight) {
        presentBrowser(_tapThroughURL);
        return;
    }
    // Held off while the preflight runs too.
    bannerViewActionInProgress_ = true;
    checker_ = make<RedirectChecker>(_tapThroughURL, userAgent(), this);
}

void OrbitBannerView::endAction() {
    bannerViewActionInProgress_ = false;
    setRefreshTimerActive(true);
}

void OrbitBannerView::checker(RedirectChecker*, const std::string& redirectURL) {
    checker_ = nullptr;
    if (isDeviceSupported(redirectURL)) {
        openURLWithSystem(redirectURL);
        endAction();
        return;
    }
    std::string scheme = urlScheme(redirectURL);
    if (scheme != "http" && scheme != "https") {
        ccLog("Orbit: refused a redirect to the scheme '%s'",
              scheme.empty() ? "(none)" : scheme.c_str());
        endAction();
        return;
    }
    presentBrowser(redirectURL);
}

void OrbitBannerView::checker(RedirectChecker*, const std::string& data,
                              const std::string& mimeType, const std::string& textEncoding) {
    checker_ = nullptr;
    presentBrowser(_tapThroughURL, &data, mimeType, textEncoding);
}

void OrbitBannerView::checker(RedirectChecker*, const AdError& error) {
    checker_ = nullptr;
    ccLog("Orbit: the ad's target could not be reached, %s", error.description.c_str());
    endAction();
}

void OrbitBannerView::presentBrowser(const std::string& url, const std::string* data,
                                     const std::string& mimeType, const std::string& textEncoding) {
    ViewController* presenter = ViewController::controllerForView(this);
    if (!presenter || presenter->modalViewController()) {
        ccLog("Unable to find view controller for presenting modal ad browser");
        endAction();
        return;
    }
    browser_ = make<OrbitAdBrowserViewController>(url);
    browser_->setDelegate(this);
    browser_->setUserAgent(userAgent());
    browser_->setScalesPageToFit(_shouldScaleWebView);
    if (data) browser_->loadData(*data, mimeType, textEncoding, url);
    if (!StatusBar::hidden()) {
        StatusBar::setHidden(true, true);
        _statusBarWasVisible = true;
    }
    presenter->presentModalViewController(browser_.get(), true);
    bannerViewActionInProgress_ = true;
}

void OrbitBannerView::orbitAdBrowserControllerDidDismiss(OrbitAdBrowserViewController* browser) {
    Ref<OrbitBannerView> keep(this);
    if (_statusBarWasVisible) {
        StatusBar::setHidden(false, true);
        _statusBarWasVisible = false;
    }
    browser->dismissModalViewControllerAnimated(true);
    browser_ = nullptr;
    endAction();
}
