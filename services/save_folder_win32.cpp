// The download folder on Windows: the user's Downloads known folder.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

#include "common/code_page.h"
#include "services/system_paths.h"
#include "services/system_services.h"

namespace common {
namespace {

std::string utf8(const wchar_t* units) {
    const std::wstring_view view(units);
    return encode_code_page(std::u16string(view.begin(), view.end()), code_page_utf8).value_or(std::string());
}

bool is_folder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(native_path(path), error);
}

}  // namespace

std::string download_folder() {
    PWSTR known = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, KF_FLAG_DEFAULT, nullptr, &known)) && known != nullptr) {
        folder = utf8(known);
    }
    CoTaskMemFree(known);
    if (is_folder(folder)) return folder;
    const std::string profile = environment_variable("USERPROFILE").value_or(std::string());
    if (!profile.empty() && is_folder(profile + "\\Downloads")) return profile + "\\Downloads";
    return profile;
}

}  // namespace common
