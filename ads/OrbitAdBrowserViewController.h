#pragma once

#include "platform/HtmlView.h"
#include "platform/Http.h"
#include "platform/Keyboard.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"

#include <optional>
#include <string>

class OrbitAdBrowserViewController;

class OrbitAdBrowserViewControllerDelegate {
public:
    virtual ~OrbitAdBrowserViewControllerDelegate() = default;
    // Done was pressed: the delegate takes the browser down.
    virtual void orbitAdBrowserControllerDidDismiss(OrbitAdBrowserViewController* browser) = 0;
};

// The in-app browser of an ad's target: the page over a toolbar with Done
// (Escape too) and a spinner while it loads. Links are followed inside;
// targets the system opens itself (mail, phone, messages) go to the
// system; other schemes are refused. Pages come over http and https only,
// size-capped, and run no scripts.
class OrbitAdBrowserViewController : public platform::ViewController,
                                     public platform::HtmlViewDelegate,
                                     public platform::KeyResponder {
public:
    explicit OrbitAdBrowserViewController(std::string url);
    ~OrbitAdBrowserViewController() override;

    OrbitAdBrowserViewControllerDelegate* delegate() const { return delegate_; }
    // Not held. Without a delegate, Done takes the browser down itself.
    void setDelegate(OrbitAdBrowserViewControllerDelegate* delegate) { delegate_ = delegate; }
    const std::string& userAgent() const { return userAgent_; }
    void setUserAgent(std::string agent) { userAgent_ = std::move(agent); }
    bool scalesPageToFit() const { return scalesPageToFit_; }
    void setScalesPageToFit(bool on);
    const std::string& url() const { return _url; }

    // Shows `data`, already fetched from `url`, instead of fetching.
    void loadData(std::string data, std::string mimeType, std::string textEncoding,
                  std::string url);
    // Fetches `url` and shows it.
    void loadURL(const std::string& url);

    bool isLoading() const { return task_ != nullptr; }
    platform::HtmlView* webView() const { return _webView.get(); }
    platform::Toolbar* toolbar() const { return toolbar_.get(); }
    platform::ActivityIndicatorView* spinner() const { return spinner_.get(); }
    // Done, or Escape.
    void done();

    static constexpr size_t kMaxPageBytes = platform::HtmlDocument::kMaxBytes;

    void loadView() override;
    void viewDidLoad() override;
    void htmlViewDidFollowLink(platform::HtmlView* view, const std::string& url) override;
    void htmlViewDidFinishLoad(platform::HtmlView* view) override;
    bool keyDown(const std::string& key) override;

private:
    // Shows `data` that came from `url` (empty: from nowhere).
    void show(const std::string& data, const std::string& mimeType, const std::string& url);
    void updateSpinner();

    Ref<platform::HtmlView> _webView;
    std::string _url;
    std::string userAgent_;
    std::string mimeType;
    std::string textEncodingName;
    // A page handed in before the view was made.
    std::optional<std::string> receivedData;
    std::string pageURL_;
    OrbitAdBrowserViewControllerDelegate* delegate_ = nullptr;
    Ref<platform::Toolbar> toolbar_;
    Ref<platform::ActivityIndicatorView> spinner_;
    Ref<platform::HttpTask> task_;
    bool scalesPageToFit_ = false;
};
