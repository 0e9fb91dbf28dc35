#include <cstdio>
#include <cstdlib>

#include "app/program_end.h"
#include "services/system_services.h"

namespace app {

int leave_program(int code) {
    if (common::running_threads() == 0) return code;
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace app
