#pragma once
// Names and default texts of the stored settings. Defaults that depend on the running
// system ("Openstore", "EmailStore") are worked out by their callers.

#include <string_view>

namespace mailvane::system {

// Base output folder; empty until a window picks or creates one.
inline constexpr std::string_view kEmails = "Emails";
inline constexpr std::string_view kEmailsDefault = "";
// Reply filter: "1" hides replies and forwards.
inline constexpr std::string_view kRE = "RE";
inline constexpr std::string_view kREDefault = "0";
// Extraction also writes the plain text.
inline constexpr std::string_view kSavetxt = "Savetxt";
inline constexpr std::string_view kSavetxtDefault = "1";
// Extraction also writes an unsent copy.
inline constexpr std::string_view kSaveEmlNws = "SaveEmlNws";
inline constexpr std::string_view kSaveEmlNwsDefault = "0";
// The unsent copy is ".eml" ("True") or ".nws" ("False").
inline constexpr std::string_view kEmlNws = "EmlNws";
inline constexpr std::string_view kEmlNwsDefault = "True";
// Last ".dbx" file opened; by default the program's folder.
inline constexpr std::string_view kOpenstore = "Openstore";
// Folder watched by the older listener; by default the store found at start-up.
inline constexpr std::string_view kEmailStore = "EmailStore";
// Bring the listener to the front on a new message.
inline constexpr std::string_view kBringtoFront = "BringtoFront";
inline constexpr std::string_view kBringtoFrontDefault = "0";

// Text of a stored flag as a Boolean: "True"/"False" in any letter case, or a number
// (not 0 is true). Anything else is false.
bool settingIsTrue(std::string_view text);
// The text a flag is stored as: "True" or "False"; check boxes store "1"/"0" instead.
inline constexpr std::string_view settingBoolText(bool value) { return value ? "True" : "False"; }

}  // namespace mailvane::system
