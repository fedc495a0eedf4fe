#include "ads/CometBannerView.h"

#include "platform/Device.h"
#include "platform/Json.h"
#include "platform/SystemOpener.h"
#include "platform/Touch.h"

using namespace platform;

namespace {

// `s` cut to at most `most` bytes without splitting a character.
std::string cut(std::string s, size_t most) {
    if (s.size() <= most) return s;
    size_t end = most;
    while (end > 0 && (uint8_t(s[end]) & 0xC0) == 0x80)
        --end;
    s.resize(end);
    return s;
}

} // namespace

std::optional<CometAd> parseCometAd(const std::string& body) {
    std::optional<Json> json = parseJson(body, CometBannerView::kMaxAnswerBytes, 8);
    if (!json || !json->is_object() || jsonString(*json, "status") != "ok") return std::nullopt;
    CometAd ad;
    ad.headline = cut(jsonString(*json, "headline"), CometBannerView::kMaxTextBytes);
    ad.text = cut(jsonString(*json, "text"), CometBannerView::kMaxTextBytes);
    ad.clickURL = jsonString(*json, "clickurl");
    if (ad.headline.empty()) return std::nullopt;
    return ad;
}

Ref<CometBannerView> CometBannerView::requestAdWithDelegate(CometAdDelegate* delegate) {
    auto view = make<CometBannerView>(delegate);
    view->requestFreshAd();
    return view;
}

CometBannerView::CometBannerView(CometAdDelegate* delegate)
    : View(Rect(Point(), kSize)), delegate_(delegate) {
    headline_ = make<Label>(Rect(10, 6, kSize.width - 20, 20));
    headline_->setFont(Font::boldSystemFont(15));
    headline_->setNumberOfLines(1);
    text_ = make<Label>(Rect(10, 26, kSize.width - 20, 18));
    text_->setFont(Font::systemFont(12));
    text_->setNumberOfLines(1);
    // Touches are the banner's.
    for (Label* label : {headline_.get(), text_.get()}) {
        label->setUserInteractionEnabled(false);
        addSubview(label);
    }
}

CometBannerView::~CometBannerView() {
    cancel();
}

void CometBannerView::cancel() {
    delegate_ = nullptr;
    if (task_) task_->cancel();
    task_ = nullptr;
}

std::string CometBannerView::requestQuery(const std::string& publisherId) {
    return "pub=" + percentEscape(publisherId) + "&device=" + md5Hex(deviceIdentifier(), true) +
           "&v=1";
}

void CometBannerView::requestFreshAd() {
    if (!delegate_) return;
    if (task_) task_->cancel();
    const AdSettings& settings = AdSettings::shared();
    HttpRequest request = settings.request(
        settings.url("/comet/ad?" + requestQuery(delegate_->publisherIdForAd(this))),
        "Comet/1.0 (" + deviceModel() + ")", kMaxAnswerBytes);
    request.headers.emplace_back("Accept", "application/json");
    // Cancelled before the banner goes.
    task_ = httpGetAsync(request, [this](const HttpResponse& r) { received(r); });
}

void CometBannerView::received(const HttpResponse& response) {
    Ref<CometBannerView> keep(this);
    task_ = nullptr;
    std::optional<CometAd> ad;
    if (response.succeeded()) ad = parseCometAd(response.body);
    if (!ad) {
        if (delegate_) delegate_->didFailToReceiveAd(this);
        return;
    }
    show(*ad);
    if (delegate_) delegate_->didReceiveAd(this);
}

void CometBannerView::show(const CometAd& ad) {
    ad_ = ad;
    if (delegate_) {
        setBackgroundColor(delegate_->adBackgroundColorForAd(this));
        headline_->setTextColor(delegate_->primaryTextColorForAd(this));
        text_->setTextColor(delegate_->secondaryTextColorForAd(this));
    }
    headline_->setText(ad.headline);
    text_->setText(ad.text);
}

void CometBannerView::touchesBegan(const TouchSet&, Event*) {
    pressed_ = true;
    setAlpha(0.7f);
}

void CometBannerView::touchesEnded(const TouchSet& touches, Event*) {
    if (!pressed_) return;
    pressed_ = false;
    setAlpha(1);
    Touch* touch = touches.empty() ? nullptr : touches.begin()->get();
    if (ad_ && touch && pointInside(touch->locationInView(this))) openURLWithSystem(ad_->clickURL);
}

void CometBannerView::touchesCancelled(const TouchSet&, Event*) {
    pressed_ = false;
    setAlpha(1);
}
