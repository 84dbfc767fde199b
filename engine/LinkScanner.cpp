#include "engine/LinkScanner.h"

#include <array>

#include "engine/TextFinder.h"
#include "engine/TextOps.h"
#include "system/CodePage.h"

namespace mailvane::engine {
namespace {

constexpr std::array<std::string_view, 11> kSoundEndings = {
    ".mid", ".wav", ".mp3", ".asf", ".asx", ".wma", ".mov", ".avi", ".vmw", ".mp4", ".mpg"};

std::string lastFourLowered(std::string_view s) {
  return system::toLowerCp(s.size() > 4 ? s.substr(s.size() - 4) : s);
}

}  // namespace

bool LinkScanner::hasSoundEnding(std::string_view name) {
  const std::string ending = lastFourLowered(name);
  for (auto sound : kSoundEndings)
    if (ending == sound) return true;
  return false;
}

// Links are cut from a quoted-printable body that may still hold soft breaks and "=".
void LinkScanner::addLink(std::string_view link, KeyedList<std::string>& into) {
  const std::string clean = removeAll(removeAll(link, "="), kCrLf);
  into.Add(clean, clean);  // a link already held is skipped, not an error
}

void LinkScanner::findSounds(std::string_view html, size_t start, KeyedList<std::string>& into) {
  for (;;) {
    const size_t link = TextFinder::findNoCase(html, "http://", start);
    if (link == npos) return;
    const size_t quote = html.find('"', link + 7);
    if (quote == npos) return;
    const std::string_view text = html.substr(link, quote - link);
    if (hasSoundEnding(text)) addLink(text, into);
    start = quote;
  }
}

void LinkScanner::findFonts(std::string_view html, size_t start, KeyedList<std::string>& into) {
  constexpr std::string_view kOpen = "src:url(";
  for (;;) {
    const size_t open = TextFinder::findNoCase(html, kOpen, start);
    if (open == npos) return;
    const size_t close = html.find(')', open + kOpen.size());
    if (close == npos) return;
    const std::string_view text = html.substr(open + kOpen.size(), close - open - kOpen.size());
    if (lastFourLowered(text) == ".eot") addLink(text, into);
    start = close;
  }
}

}  // namespace mailvane::engine
