#include "app/fatal_error.h"

#include "common/gbk.h"

namespace app {

std::string fatal_error_message(std::string_view error_text) {
    return common::gbk<"运行时出错!">() + "\n\n" + common::gbk<"错误信息：">() + std::string(error_text) + "\n";
}

}  // namespace app
