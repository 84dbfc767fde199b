#pragma once
// The web view of a message window set up for untrusted messages: a private profile that
// serves the message from memory, JavaScript off, every request leaving the program
// blocked, and a page that never navigates away from the message. A meta refresh or a
// blocked load leaves the page as it was; a link the user clicks goes to the desktop's
// browser (web and mail links only).

#include <QUrl>

#include <functional>
#include <memory>

#include "engine/SrParser.h"

class QWebEngineProfile;
class QWebEngineView;

namespace mailvane {

class PreviewPage;
class PreviewSchemeHandler;
class RequestBlocker;

class PreviewBrowser {
 public:
  // Hands a clicked link to the desktop.
  using LinkOpener = std::function<void(const QUrl&)>;

  PreviewBrowser(QWebEngineView* view, LinkOpener opener);
  ~PreviewBrowser();
  PreviewBrowser(const PreviewBrowser&) = delete;
  PreviewBrowser& operator=(const PreviewBrowser&) = delete;

  // The blank page.
  void blank();
  // Shows the rebuilt message held by pars.
  void show(std::shared_ptr<const SrParser> pars);

  const RequestBlocker& blocker() const { return *blocker_; }

  // The links that leave the preview for the desktop: http, https and mailto.
  static bool isOutsideLink(const QUrl& url);

 private:
  QWebEngineView* view_;
  QWebEngineProfile* profile_;
  PreviewSchemeHandler* handler_;
  RequestBlocker* blocker_;
  PreviewPage* page_;
};

}  // namespace mailvane
