#pragma once
// Where the two mail clients the listener knows keep their message stores on this system.

#include <filesystem>
#include <string_view>

namespace mailvane {

class ClientStore {
 public:
  // The store folder of a client (system::kWindowsLiveMail or system::kWindowsMail): its
  // "Store Root" below the user's profile folder, when that folder exists. Empty when the
  // registry names none, names one outside the profile, or names one this system lacks.
  static std::filesystem::path find(std::string_view client);
  // Windows Mail's "Store Root" as a path on this system whatever it holds, its profile
  // folder put in but not required to exist (empty when there is none): what is left to
  // watch when neither store is found.
  static std::filesystem::path storedMailRoot();
};

}  // namespace mailvane
