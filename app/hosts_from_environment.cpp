#include "app/start_up.h"
#include "common/gbk.h"
#include "services/system_services.h"
#include "web/site_hosts.h"

namespace app {

void take_hosts_from_environment() {
    std::vector<web::refused_host> refused = web::take_hosts_from_environment();
    if (refused.empty()) return;
    common::message_box(web::refused_hosts_message(refused), 48, common::gbk<"友情提醒">());
}

}  // namespace app
