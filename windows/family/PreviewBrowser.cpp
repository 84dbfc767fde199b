#include "windows/family/PreviewBrowser.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "windows/family/PreviewScheme.h"
#include "windows/family/PreviewSchemeHandler.h"
#include "windows/family/RequestBlocker.h"

namespace mailvane {

namespace {

// The web engine starts with the first profile; a program that did not prepare it
// before its application object (a test, an embedding) still must not fail as root.
QWebEngineProfile* privateProfile() {
  PreviewScheme::allowRootWithoutSandbox();
  return new QWebEngineProfile();  // without a storage name: nothing kept on disk
}

// What a frame inside the message may show: the message's own parts and inline data.
bool isInside(const QUrl& url) {
  const QString scheme = url.scheme();
  return scheme == QLatin1String(PreviewScheme::name()) || scheme == QLatin1String("data") ||
         scheme == QLatin1String("about");
}

void openLater(QObject* context, const PreviewBrowser::LinkOpener& opener, const QUrl& url) {
  if (!PreviewBrowser::isOutsideLink(url) || !opener) return;
  // Not from within the web engine's callback: the desktop may take its time.
  QMetaObject::invokeMethod(context, [opener, url] { opener(url); }, Qt::QueuedConnection);
}

// Stands in for the window a link with a target asks for: it never shows anything, but
// hands the link to the desktop and goes.
class LinkCatcher : public QWebEnginePage {
 public:
  LinkCatcher(QWebEngineProfile* profile, QObject* parent, const PreviewBrowser::LinkOpener& opener)
      : QWebEnginePage(profile, parent), opener_(opener) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
    if (url.isEmpty() || url == QUrl(QStringLiteral("about:blank"))) return true;
    openLater(parent(), opener_, url);
    deleteLater();
    return false;
  }

 private:
  PreviewBrowser::LinkOpener opener_;
};

}  // namespace

// The page only goes where the browser sends it (the message, the blank page), once per
// sending, or to an anchor within the message: a refresh or a redirect the message asks
// for is refused like any other way out.
class PreviewPage : public QWebEnginePage {
 public:
  PreviewPage(QWebEngineProfile* profile, PreviewBrowser::LinkOpener opener)
      : QWebEnginePage(profile, nullptr), opener_(std::move(opener)) {}

  void go(const QUrl& target) {
    target_ = target;
    sent_ = true;
    setUrl(target);
  }

 protected:
  bool acceptNavigationRequest(const QUrl& to, NavigationType type, bool isMainFrame) override {
    if (isMainFrame && sent_ && to == target_) {
      sent_ = false;
      return true;
    }
    if (type == NavigationTypeLinkClicked) {
      if (isMainFrame && isAnchorOnPage(to)) return true;
      openLater(this, opener_, to);
      return false;
    }
    return !isMainFrame && isInside(to);
  }

  QWebEnginePage* createWindow(WebWindowType) override {
    return new LinkCatcher(profile(), this, opener_);
  }

 private:
  bool isAnchorOnPage(const QUrl& to) const {
    return to.hasFragment() &&
           to.adjusted(QUrl::RemoveFragment) == target_.adjusted(QUrl::RemoveFragment);
  }

  PreviewBrowser::LinkOpener opener_;
  QUrl target_;
  bool sent_ = false;  // target_ not yet reached
};

PreviewBrowser::PreviewBrowser(QWebEngineView* view, LinkOpener opener)
    : view_(view),
      profile_(privateProfile()),
      handler_(new PreviewSchemeHandler(profile_)),
      blocker_(new RequestBlocker(profile_)),
      page_(nullptr) {
  profile_->installUrlSchemeHandler(PreviewScheme::name(), handler_);
  profile_->setUrlRequestInterceptor(blocker_);
  QWebEngineSettings* settings = profile_->settings();
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  settings->setAttribute(QWebEngineSettings::AutoLoadImages, true);
  page_ = new PreviewPage(profile_, std::move(opener));
  view_->setPage(page_);
}

// The page must go before its profile, and both before the view.
PreviewBrowser::~PreviewBrowser() {
  delete page_;
  delete profile_;
}

bool PreviewBrowser::isOutsideLink(const QUrl& url) {
  const QString scheme = url.scheme();
  return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                           scheme == QLatin1String("mailto"));
}

void PreviewBrowser::blank() { page_->go(QUrl(QStringLiteral("about:blank"))); }

void PreviewBrowser::show(std::shared_ptr<const SrParser> pars) {
  page_->go(handler_->show(std::move(pars)));
}

}  // namespace mailvane
