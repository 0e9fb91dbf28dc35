// One sample site per test program, with the extra routes these tests use.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sample_site/sample_site.h"
#include "web/web_access.h"

namespace web_test {

// The site, started on first use and kept for the whole program.
sample_site::server& site();

// "http://127.0.0.1:port" + target
std::string site_url(const std::string& target);

// The value of the first header `name` (ASCII case ignored) of a logged
// request; "<none>" when it has none.
std::string header_of(const sample_site::logged_request& request, const std::string& name);
// How many headers called `name` it carries.
int count_of(const sample_site::logged_request& request, const std::string& name);

// The routine's body as text, zeros included.
std::string as_string(const common::byte_array& bytes);

// Each test starts with an empty log, no faults, the normal limits and an
// empty cookie jar.
class site_test : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The requests logged since the test began.
    std::vector<sample_site::logged_request> requests() const { return site().requests(); }
};

}  // namespace web_test
