#include "engine/HtmlRebuilder.h"

#include <algorithm>
#include <map>
#include <memory>

#include "codecs/Base64.h"
#include "engine/BoundarySet.h"
#include "engine/TextFinder.h"
#include "engine/TextOps.h"

namespace mailvane::engine {
namespace {

constexpr std::string_view kBaseTag = "<base ";
constexpr std::string_view kMarkOfTheWeb =
    "<!-- saved from url=(0022)http://internet.e-mail -->";

// Keys of the "cid:" rewrite without their common "cid:" prefix, in a trie so that one
// walk from each reference finds every Content-ID that starts there.
class CidTrie {
 public:
  void add(std::string_view key, size_t part) {
    size_t node = 0;
    for (char c : key) {
      auto [it, added] = nodes_[node].children.try_emplace(c, nodes_.size());
      if (added) nodes_.emplace_back();
      node = it->second;
    }
    if (nodes_[node].part == npos) nodes_[node].part = part;
  }
  // The earliest part whose key starts at `from`, and the key's length.
  std::pair<size_t, size_t> match(std::string_view text, size_t from) const {
    size_t node = 0, best = nodes_[0].part, bestLength = 0;
    for (size_t i = from; i < text.size(); ++i) {
      auto it = nodes_[node].children.find(text[i]);
      if (it == nodes_[node].children.end()) break;
      node = it->second;
      if (nodes_[node].part < best) {
        best = nodes_[node].part;
        bestLength = i + 1 - from;
      }
    }
    return {best, bestLength};
  }

 private:
  struct Node {
    std::map<char, size_t> children;
    size_t part = npos;
  };
  std::vector<Node> nodes_{1};
};

std::string stripAngles(std::string_view id) { return removeAll(removeAll(id, "<"), ">"); }

// The proper prefix of "<base " (any case) that text ends with, as a length.
size_t danglingBaseStart(std::string_view text) {
  for (size_t k = std::min(kBaseTag.size() - 1, text.size()); k > 0; --k)
    if (TextFinder::equalsNoCase(text.substr(text.size() - k), kBaseTag.substr(0, k))) return k;
  return 0;
}

}  // namespace

std::optional<HtmlRebuilder::Cut> HtmlRebuilder::findDocument(std::string_view text) {
  for (auto [open, close] : {std::pair<std::string_view, std::string_view>{"<html", "</html>"},
                             {"<htm", "</htm>"}}) {
    const size_t start = TextFinder::findNoCase(text, open);
    if (start == npos) continue;
    const size_t end = TextFinder::findNoCase(text, close, start);
    if (end != npos) return Cut{start, end + close.size() - start, false};
    // Without a closing tag the cut length is the closing tag's length minus the
    // 1-based start, which only fits when the document starts that early.
    if (start + 1 > close.size()) return Cut{0, 0, true};
    return Cut{start, close.size() - start - 1, false};
  }
  return std::nullopt;
}

std::optional<std::string> HtmlRebuilder::base64HtmlBody(std::string_view message) {
  constexpr std::string_view kHtmlPart = "Content-Type: text/html";
  constexpr std::string_view kEncoding = "Content-Transfer-Encoding:";
  std::optional<BoundarySet> boundaries;
  for (size_t part = TextFinder::findNoCase(message, kHtmlPart); part != npos;
       part = TextFinder::findNoCase(message, kHtmlPart, part + 1)) {
    const size_t headerEnd = message.find(kBlankLine, part);
    if (headerEnd == npos) return std::nullopt;
    const std::string_view header = message.substr(part, headerEnd - part);
    const size_t encoding = TextFinder::findNoCase(header, kEncoding);
    if (encoding == npos) continue;
    const std::string_view value = trimSpaces(lineAt(header, encoding + kEncoding.size()).text);
    if (!TextFinder::equalsNoCase(value.substr(0, 6), "base64")) continue;
    if (!boundaries) boundaries.emplace(message);
    const size_t bodyStart = headerEnd + kBlankLine.size();
    size_t bodyEnd = boundaries->findDelimiterLine(message, bodyStart, message.size());
    if (bodyEnd == npos) bodyEnd = message.size();
    return Base64().Decode(slice(message, bodyStart, bodyEnd));
  }
  return std::nullopt;
}

// Large documents rarely hold either; skipping the copies keeps a big HTML body to
// the one buffer it was decoded into.
std::string HtmlRebuilder::clean(std::string html) {
  if (TextFinder::findNoCase(html, kBaseTag) != npos)
    if (auto withoutBase = removeBase(html)) html = std::move(*withoutBase);
  if (html.find(kMarkOfTheWeb) != npos) html = removeMarkOfTheWeb(html);
  return html;
}

// One left-to-right pass that removes each base tag as it is met. When a removal joins
// the text before and after it into a new "<base ", that tag is removed too, so no base
// tag is left, as with repeated whole-text passes.
std::optional<std::string> HtmlRebuilder::removeBase(std::string_view html) {
  std::string out;
  out.reserve(html.size());
  size_t at = 0;
  for (;;) {
    const size_t tag = TextFinder::findNoCase(html, kBaseTag, at);
    if (tag == npos) break;
    out.append(html, at, tag - at);
    size_t close = html.find('>', tag);
    if (close == npos) return std::nullopt;
    at = close + 1;
    // A removal can complete a "<base " begun just before it.
    for (size_t k = danglingBaseStart(out); k > 0; k = danglingBaseStart(out)) {
      const std::string_view rest = html.substr(at, kBaseTag.size() - k);
      if (!TextFinder::equalsNoCase(rest, kBaseTag.substr(k))) break;
      close = html.find('>', at);
      if (close == npos) return std::nullopt;
      out.resize(out.size() - k);
      at = close + 1;
    }
  }
  out.append(html, at, npos);
  return out;
}

std::string HtmlRebuilder::removeMarkOfTheWeb(std::string_view html) {
  return removeAll(html, kMarkOfTheWeb);
}

std::string HtmlRebuilder::fixCid(std::string_view html,
                                  const std::vector<std::pair<std::string, std::string>>& parts) {
  CidTrie trie;
  bool any = false;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].first.empty()) continue;
    trie.add(stripAngles(parts[i].first), i);
    any = true;
  }
  if (!any) return std::string(html);
  std::string out;
  out.reserve(html.size());
  size_t at = 0;
  for (size_t ref = html.find("cid:"); ref != npos; ref = html.find("cid:", ref + 1)) {
    if (ref < at) continue;
    const auto [part, length] = trie.match(html, ref + 4);
    if (part == npos) continue;
    out.append(html, at, ref - at);
    out.append(parts[part].second);
    at = ref + 4 + length;
  }
  out.append(html, at, npos);
  return out;
}

}  // namespace mailvane::engine
