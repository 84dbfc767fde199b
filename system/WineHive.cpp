#include "system/WineHive.h"

#include "system/Utf16.h"
#include "system/WineHiveText.h"

#include <algorithm>
#include <ctime>

namespace mailvane::system {
namespace {

std::string_view withoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string_view skipBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string_view nextLine(std::string_view& rest) {
  const size_t nl = rest.find('\n');
  std::string_view line = rest.substr(0, nl);
  rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
  return line;
}

std::u16string foldedKey(const HivePath& path, size_t depth) {
  std::u16string key;
  for (size_t i = 0; i < depth && i < path.size(); ++i) {
    if (i) key += u'\\';
    key += foldCase(path[i]);
  }
  return key;
}

std::u16string foldedKey(const HivePath& path) { return foldedKey(path, path.size()); }

bool sameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return foldCase(x) == foldCase(y); });
}

bool isBlank(std::string_view raw) { return skipBlanks(withoutCr(raw)).empty(); }

bool continuesOnNextLine(std::string_view raw) {
  const std::string_view last = trimRight(withoutCr(raw.substr(raw.rfind('\n') + 1)));
  return !last.empty() && last.back() == '\\';
}

// The text without the backslashes (and blanks) that end it, keeping its CR.
std::string withoutDanglingContinuation(std::string_view text) {
  const bool cr = !text.empty() && text.back() == '\r';
  std::string_view body = withoutCr(text);
  // A CR inside the line counts as a blank too: the reader drops it at a line's end.
  while (!body.empty() &&
         (body.back() == '\\' || body.back() == ' ' || body.back() == '\t' || body.back() == '\r'))
    body.remove_suffix(1);
  std::string out(body);
  if (cr) out += '\r';
  return out;
}

// Splits `"name"=data` or `@=data`; nothing when the name part is unreadable.
std::optional<std::pair<std::u16string, std::string_view>> splitValueLine(std::string_view line) {
  std::u16string name;
  if (line.front() == '@') {
    line.remove_prefix(1);
  } else {
    line.remove_prefix(1);
    auto n = hivetext::readEscaped(line, '"');
    if (!n) return std::nullopt;
    name = std::move(*n);
  }
  line = skipBlanks(line);
  if (line.empty() || line.front() != '=') return std::nullopt;
  return std::make_pair(std::move(name), line.substr(1));
}

}  // namespace

WineHive::WineHive() { preamble_ = {std::string(kSignature), ""}; }

WineHive WineHive::parse(std::string_view text) {
  WineHive hive;
  hive.preamble_.clear();
  hive.parseLines(text);
  hive.rebuildIndex();
  return hive;
}

void WineHive::parseLines(std::string_view text) {
  std::string_view rest = text;
  bool first = true;
  while (!rest.empty()) {
    const std::string_view raw = nextLine(rest);
    if (first) {
      signatureValid_ = withoutCr(raw) == kSignature;
      first = false;
      preamble_.emplace_back(raw);
      continue;
    }
    const std::string_view line = skipBlanks(withoutCr(raw));
    if (!line.empty() && line.front() == '[') addKeyLine(raw, line);
    else if (!line.empty() && (line.front() == '"' || line.front() == '@'))
      addValueLine(raw, line, rest);
    else addOtherLine(raw);
  }
  if (first) signatureValid_ = false;
}

void WineHive::addKeyLine(std::string_view raw, std::string_view line) {
  auto path = hivetext::readKeyHeader(line);
  if (path && signatureValid_) {
    // A key written twice is one key: the later lines join the first section.
    auto [it, added] = sectionIndex_.emplace(foldedKey(*path), sections_.size());
    if (!added) {
      sections_[it->second].entries.push_back({std::string(raw), std::nullopt});
      current_ = it->second;
      return;
    }
  }
  Section s;
  s.header = std::string(raw);
  s.valid = path.has_value() && signatureValid_;
  if (path) s.path = std::move(*path);
  sections_.push_back(std::move(s));
  current_ = sections_.size() - 1;
}

void WineHive::addValueLine(std::string_view raw, std::string_view line, std::string_view& rest) {
  std::string rawText(raw);
  std::vector<std::string> blankAfter;
  std::optional<HiveValue> value;
  if (auto parts = splitValueLine(line)) {
    std::string data(parts->second);
    const bool byteList = hivetext::isByteList(data);
    // A byte list goes on over the following lines while a line ends in "\".
    if (byteList) {
      while (!rest.empty() && !trimRight(withoutCr(data)).empty() &&
             trimRight(withoutCr(data)).back() == '\\') {
        const std::string_view more = nextLine(rest);
        rawText += '\n';
        rawText += more;
        data = std::string(trimRight(withoutCr(data)));
        data.pop_back();
        data += skipBlanks(withoutCr(more));
      }
    }
    // A continuation with nothing after it (a hive cut off while being written, or
    // edited by hand) goes: written back, it would join whatever the writer puts next.
    // Blank lines it took in stay in the text as lines of their own.
    const std::string_view trimmedData = trimRight(withoutCr(data));
    if (byteList && rest.empty() && !trimmedData.empty() && trimmedData.back() == '\\') {
      data = std::string(withoutDanglingContinuation(withoutCr(data)));
      // Until the line the text ends with keeps something: a continuation line of
      // nothing but backslashes is blank once they go, and the line before it dangles.
      for (;;) {
        for (size_t nl = rawText.rfind('\n');
             nl != std::string::npos && isBlank(std::string_view(rawText).substr(nl + 1));
             nl = rawText.rfind('\n')) {
          blankAfter.insert(blankAfter.begin(), rawText.substr(nl + 1));
          rawText.resize(nl);
        }
        rawText = withoutDanglingContinuation(rawText);
        const size_t nl = rawText.rfind('\n');
        if (nl == std::string::npos || !isBlank(std::string_view(rawText).substr(nl + 1))) break;
      }
    }
    value = hivetext::readValueData(withoutCr(data));
    if (value) value->name = std::move(parts->first);
  }
  if (current_ == kPreamble) {
    preamble_.push_back(std::move(rawText));
  } else {
    Section& s = sections_[current_];
    if (!s.valid) value.reset();
    s.entries.push_back({std::move(rawText), std::move(value)});
  }
  for (const auto& blank : blankAfter) addOtherLine(blank);
}

void WineHive::addOtherLine(std::string_view raw) {
  if (current_ == kPreamble) preamble_.emplace_back(raw);
  else sections_[current_].entries.push_back({std::string(raw), std::nullopt});
}

void WineHive::rebuildIndex() {
  subkeyCache_.clear();
  valueCache_.clear();
  sectionIndex_.clear();
  existing_.clear();
  for (size_t i = 0; i < sections_.size(); ++i) {
    const Section& s = sections_[i];
    if (!s.valid) continue;
    sectionIndex_.emplace(foldedKey(s.path), i);
    for (size_t depth = 0; depth <= s.path.size(); ++depth) existing_.insert(foldedKey(s.path, depth));
  }
}

std::string WineHive::serialize() const {
  std::string out;
  for (const auto& line : preamble_) out += line + "\n";
  for (const auto& s : sections_) {
    if (s.generated && !out.ends_with("\n\n")) out += "\n";
    out += s.header + "\n";
    for (const auto& e : s.entries)
      out += (e.raw.empty() && e.value ? hivetext::writeValueLine(*e.value) : e.raw) + "\n";
  }
  return out;
}

WineHive::Section* WineHive::sectionOf(const HivePath& path) {
  auto it = sectionIndex_.find(foldedKey(path));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const WineHive::Section* WineHive::sectionOf(const HivePath& path) const {
  auto it = sectionIndex_.find(foldedKey(path));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

bool WineHive::keyExists(const HivePath& path) const {
  return path.empty() || existing_.count(foldedKey(path)) > 0;
}

bool WineHive::hasSubkeys(const HivePath& path) const { return !subkeyNames(path).empty(); }

std::vector<std::u16string> WineHive::subkeyNames(const HivePath& path) const {
  const auto prefix = foldedKey(path);
  if (auto cached = subkeyCache_.find(prefix); cached != subkeyCache_.end()) return cached->second;
  std::vector<std::u16string> names;
  std::unordered_set<std::u16string> seen;
  for (const auto& s : sections_) {
    if (!s.valid || s.path.size() <= path.size() || foldedKey(s.path, path.size()) != prefix)
      continue;
    const std::u16string& name = s.path[path.size()];
    if (seen.insert(foldCase(name)).second) names.push_back(name);
  }
  std::sort(names.begin(), names.end(),
            [](const auto& a, const auto& b) { return foldCase(a) < foldCase(b); });
  // Enumerations ask once per index; the cache keeps that linear.
  return subkeyCache_.emplace(prefix, std::move(names)).first->second;
}

std::vector<const HiveValue*> WineHive::values(const HivePath& path) const {
  const auto key = foldedKey(path);
  if (auto cached = valueCache_.find(key); cached != valueCache_.end()) return cached->second;
  std::vector<const HiveValue*> out;
  if (const Section* s = sectionOf(path)) {
    std::unordered_map<std::u16string, size_t> position;
    for (const auto& e : s->entries) {
      if (!e.value) continue;
      auto [it, added] = position.emplace(foldCase(e.value->name), out.size());
      if (added) out.push_back(&*e.value);
      else out[it->second] = &*e.value;
    }
  }
  return valueCache_.emplace(key, std::move(out)).first->second;
}

const HiveValue* WineHive::findValue(const HivePath& path, std::u16string_view name) const {
  for (const HiveValue* v : values(path))
    if (sameName(v->name, name)) return v;
  return nullptr;
}

WineHive::Section& WineHive::ensureSection(const HivePath& path) {
  if (Section* s = sectionOf(path)) return *s;
  Section s;
  s.path = path;
  s.header = hivetext::writeKeyHeader(path, static_cast<long long>(std::time(nullptr)));
  s.generated = true;
  sections_.push_back(std::move(s));
  rebuildIndex();
  return sections_.back();
}

void WineHive::setValue(const HivePath& path, HiveValue value) {
  Section& s = ensureSection(path);
  valueCache_.clear();
  // Rewrite the last line of that name in place; drop earlier copies so it reads back as set.
  std::vector<size_t> same;
  for (size_t i = 0; i < s.entries.size(); ++i)
    if (s.entries[i].value && sameName(s.entries[i].value->name, value.name)) same.push_back(i);
  if (!same.empty()) {
    s.entries[same.back()] = Entry{{}, std::move(value)};
    for (size_t k = same.size() - 1; k-- > 0;)
      s.entries.erase(s.entries.begin() + static_cast<std::ptrdiff_t>(same[k]));
    return;
  }
  // New values go after the last line that is not blank, before the gap to the next key,
  // and never right after a byte list cut off at the end of the file: the reader would
  // take the new line as that list's continuation.
  auto pos = s.entries.end();
  while (pos != s.entries.begin() &&
         ((!(pos - 1)->value && isBlank((pos - 1)->raw)) || continuesOnNextLine((pos - 1)->raw)))
    --pos;
  s.entries.insert(pos, Entry{{}, std::move(value)});
}

bool WineHive::deleteValue(const HivePath& path, std::u16string_view name) {
  Section* s = sectionOf(path);
  if (!s) return false;
  valueCache_.clear();
  const auto removed = std::erase_if(
      s->entries, [&](const Entry& e) { return e.value && sameName(e.value->name, name); });
  return removed > 0;
}

bool WineHive::createKey(const HivePath& path) {
  if (keyExists(path)) return false;
  ensureSection(path);
  return true;
}

bool WineHive::deleteKey(const HivePath& path) {
  if (path.empty() || !keyExists(path)) return false;
  std::erase_if(sections_, [&](const Section& s) {
    return s.valid && foldedKey(s.path) == foldedKey(path);
  });
  rebuildIndex();
  // The parent stays a key even when it existed only through this one.
  HivePath parent(path.begin(), path.end() - 1);
  if (!keyExists(parent)) ensureSection(parent);
  return true;
}

}  // namespace mailvane::system
