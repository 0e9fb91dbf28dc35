// The settings file on Windows: beside a portable copy, in the roaming
// application data of the user for an installed one.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

#include "common/code_page.h"
#include "services/settings_file.h"
#include "services/system_services.h"

namespace common {
namespace {

std::string roaming_app_data() {
    if (std::string folder = environment_variable("APPDATA").value_or(std::string()); !folder.empty()) return folder;
    PWSTR known = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &known)) && known != nullptr) {
        const std::wstring_view units(known);
        folder = encode_code_page(std::u16string(units.begin(), units.end()), code_page_utf8).value_or(std::string());
    }
    CoTaskMemFree(known);
    return folder;
}

}  // namespace

std::string settings_file_path() {
    if (!installed_copy()) {
        const std::string beside = program_directory_path();
        return beside.empty() ? std::string() : beside + "\\quorla-hd.ini";
    }
    const std::string roaming = roaming_app_data();
    return roaming.empty() ? std::string() : roaming + "\\Quorla HD\\quorla-hd.ini";
}

}  // namespace common
