#pragma once
// Letting the user pick a folder. The rules live here; the dialog itself is supplied by
// an implementation (Qt in the desktop program, a fake in tests).

#include <string>
#include <string_view>

namespace mailvane::system {

class FolderPicker {
 public:
  static constexpr std::string_view kDefaultTitle = "Please, Select a folder.";
  // The title the windows pass when the user chooses an output folder.
  static constexpr std::string_view kOutputFolderTitle = "Select the folder to where to save files.";

  virtual ~FolderPicker() = default;

  // Opens the dialog with startFolder selected (a trailing "/" is dropped) and title (the
  // default title when empty). The chosen folder without a trailing "/" (except "/"
  // itself), or the empty text when the user cancels or anything fails.
  std::string BrowseForFolder(std::string startFolder, std::string title);

 protected:
  // Shows the dialog; the chosen folder, or the empty text on cancel. May throw.
  virtual std::string showFolderDialog(const std::string& startFolder,
                                       const std::string& title) = 0;
};

}  // namespace mailvane::system
