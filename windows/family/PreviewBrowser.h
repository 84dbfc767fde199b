#pragma once
// The web view of a message window set up for untrusted messages: a private profile that
// serves the message from memory, JavaScript off, and every request leaving the
// program blocked.

#include <memory>

#include "engine/SrParser.h"

class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace mailvane {

class PreviewSchemeHandler;
class RequestBlocker;

class PreviewBrowser {
 public:
  explicit PreviewBrowser(QWebEngineView* view);
  ~PreviewBrowser();
  PreviewBrowser(const PreviewBrowser&) = delete;
  PreviewBrowser& operator=(const PreviewBrowser&) = delete;

  // The blank page.
  void blank();
  // Shows the rebuilt message held by pars.
  void show(std::shared_ptr<const SrParser> pars);

  const RequestBlocker& blocker() const { return *blocker_; }

 private:
  QWebEngineView* view_;
  QWebEngineProfile* profile_;
  PreviewSchemeHandler* handler_;
  RequestBlocker* blocker_;
  QWebEnginePage* page_;
};

}  // namespace mailvane
