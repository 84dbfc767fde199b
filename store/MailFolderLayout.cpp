#include "store/MailFolderLayout.h"

#include <algorithm>
#include <system_error>

#include "store/FileMessageList.h"
#include "store/FolderNameFile.h"
#include "system/CodePage.h"

namespace mailvane::store {

namespace {

namespace fs = std::filesystem;

// Windows Live Mail's name file first: a store moved up from Windows Mail may hold both.
constexpr const char* kNameFiles[] = {"wlmail.fol", "winmail.fol"};
// Windows Mail keeps database backups here; they hold no messages.
constexpr std::string_view kBackup = "backup";

struct DirectoryContents {
  std::vector<fs::path> subfolders;  // sorted, symbolic links left out so a link loop cannot trap us
  bool hasMessages = false;
  fs::path nameFile;
};

bool isNameFile(const std::string& lowerName) {
  return std::any_of(std::begin(kNameFiles), std::end(kNameFiles),
                     [&](const char* name) { return lowerName == name; });
}

DirectoryContents readDirectory(const fs::path& folder) {
  DirectoryContents contents;
  fs::path nameFiles[std::size(kNameFiles)];
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    const fs::path name = it->path().filename();
    if (it->is_directory(typeError) && !it->is_symlink(typeError)) {
      contents.subfolders.push_back(it->path());
    } else if (FileMessageList::isMessageFile(name)) {
      contents.hasMessages = true;
    } else if (const std::string lower = system::toLowerCp(name.string()); isNameFile(lower)) {
      nameFiles[lower == kNameFiles[0] ? 0 : 1] = it->path();
    }
  }
  std::sort(contents.subfolders.begin(), contents.subfolders.end());
  contents.nameFile = nameFiles[0].empty() ? nameFiles[1] : nameFiles[0];
  return contents;
}

std::string folderName(const fs::path& folder, const fs::path& nameFile) {
  std::string name = nameFile.empty() ? std::string() : readFolderNameFile(nameFile);
  return name.empty() ? folder.filename().string() : name;
}

struct Pending {
  fs::path folder;
  int level;        // directory levels below the root
  FolderId parent;  // nearest listed folder above, 0 for none
  int depth;        // depth a folder listed here gets
};

}  // namespace

std::vector<FolderEntry> readMailFolderStore(const fs::path& root) {
  std::vector<FolderEntry> folders;
  std::vector<Pending> pending{{root, 0, 0, 0}};
  while (!pending.empty() && folders.size() < size_t(kMaxFolderId)) {
    Pending here = std::move(pending.back());
    pending.pop_back();
    const DirectoryContents contents = readDirectory(here.folder);
    FolderId parent = here.parent;
    int depth = here.depth;
    if (contents.hasMessages || (here.level > 0 && !contents.nameFile.empty())) {
      FolderEntry folder;
      folder.id = static_cast<FolderId>(folders.size() + 1);
      folder.parentId = here.parent;
      folder.depth = here.depth;
      folder.name = folderName(here.folder, contents.nameFile);
      if (contents.hasMessages) folder.messages = std::make_shared<FileMessageList>(here.folder);
      parent = folder.id;
      depth = here.depth + 1;
      folders.push_back(std::move(folder));
    }
    if (here.level == kMaxFolderDepth) continue;
    for (auto it = contents.subfolders.rbegin(); it != contents.subfolders.rend(); ++it) {
      if (here.level == 0 && system::toLowerCp(it->filename().string()) == kBackup) continue;
      pending.push_back({*it, here.level + 1, parent, depth});
    }
  }
  return folders;
}

}  // namespace mailvane::store
