// Where saved files go: beside the program when it is not an installed copy
// and its directory takes files, else the user's download folder.
#include <filesystem>
#include <string>
#include <system_error>

#include "services/system_paths.h"
#include "services/system_services.h"

namespace common {

bool installed_copy() {
    const std::string program = program_directory_path();
    if (program.empty()) return false;
    std::error_code error;
    return std::filesystem::is_regular_file(native_path(program) / installed_marker, error);
}

save_folder choose_save_folder() {
    std::string beside = program_directory_path();
    if (!installed_copy() && takes_files(beside)) return {beside, true};
    return {download_folder(), false};
}

}  // namespace common
