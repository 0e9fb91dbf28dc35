#include "export/list_address.h"

#include "web/request_text.h"

namespace exporting {

std::string list_address(std::string_view address) {
    std::string line = web::encode_request_path(address);
    if (line.starts_with('#')) line.replace(0, 1, "%23");
    return line;
}

}  // namespace exporting
