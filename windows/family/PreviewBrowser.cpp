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

}  // namespace

PreviewBrowser::PreviewBrowser(QWebEngineView* view)
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
  page_ = new QWebEnginePage(profile_, nullptr);
  view_->setPage(page_);
}

// The page must go before its profile, and both before the view.
PreviewBrowser::~PreviewBrowser() {
  delete page_;
  delete profile_;
}

void PreviewBrowser::blank() { page_->setUrl(QUrl(QStringLiteral("about:blank"))); }

void PreviewBrowser::show(std::shared_ptr<const SrParser> pars) {
  page_->setUrl(handler_->show(std::move(pars)));
}

}  // namespace mailvane
