#include "index/IndexLocations.h"

#include <algorithm>
#include <system_error>

#include "system/SpecialFolders.h"
#include "system/StoreRoot.h"

namespace mailvane::index {
namespace {

namespace fs = std::filesystem;

std::string_view trimSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isInside(const std::string& inner, const std::string& outer) {
  if (outer == "/") return true;
  return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
         inner[outer.size()] == '/';
}

}  // namespace

fs::path defaultIndexFile() {
  const std::string cache = system::GetSpecialFolder(system::kCsidlInternetCache);
  if (cache.empty()) return {};
  return fs::path(cache) / "index.sqlite";
}

std::vector<fs::path> parseIndexRoots(std::string_view setting) {
  std::vector<fs::path> roots;
  size_t start = 0;
  while (start <= setting.size()) {
    size_t end = setting.find(';', start);
    if (end == std::string_view::npos) end = setting.size();
    const std::string_view part = trimSpaces(setting.substr(start, end - start));
    if (!part.empty()) roots.emplace_back(part);
    start = end + 1;
  }
  return roots;
}

std::vector<fs::path> defaultIndexRoots() {
  std::vector<fs::path> roots;
  std::error_code ec;
  const auto addIfFolder = [&](const fs::path& folder) {
    if (!folder.empty() && fs::is_directory(folder, ec)) roots.push_back(folder);
  };
  addIfFolder(fs::path(system::GetSpecialFolder(system::kCsidlPersonal)));
  addIfFolder(system::StoreRoot(system::kWindowsLiveMail));
  addIfFolder(system::StoreRoot(system::kWindowsMail));
  return normaliseRoots(roots);
}

std::vector<fs::path> indexRoots(const system::Settings& settings) {
  std::vector<fs::path> roots = parseIndexRoots(settings.value(kIndexRoots, ""));
  return roots.empty() ? defaultIndexRoots() : normaliseRoots(roots);
}

std::vector<fs::path> normaliseRoots(const std::vector<fs::path>& roots) {
  std::vector<std::string> texts;
  for (const fs::path& root : roots) {
    std::error_code ec;
    fs::path absolute = fs::absolute(root, ec);
    if (ec) continue;
    std::string text = absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    texts.push_back(std::move(text));
  }
  // Sorted, an enclosing folder comes before the folders inside it.
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  std::vector<fs::path> result;
  for (const std::string& text : texts) {
    const bool covered = std::any_of(result.begin(), result.end(), [&](const fs::path& kept) {
      return isInside(text, kept.string());
    });
    if (!covered) result.emplace_back(text);
  }
  return result;
}

}  // namespace mailvane::index
