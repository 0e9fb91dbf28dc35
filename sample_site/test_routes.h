// The routes tests and benchmarks add to the site beyond its own pages, in
// one place so that a site in the test program and one made by the hub
// (site_hub.h) answer them alike.
#pragma once

namespace httplib {
class Server;
}

namespace sample_site {

// /t/echo, /t/set, /t/dir/set, /t/dir/cookies, /t/utf8, /t/big5, /t/small,
// /t/half, /t/redirect, /t/moved, /t/final and /bench/page.html (see the
// definition for what each answers).
void install_test_routes(httplib::Server& routes);

}  // namespace sample_site
