// The bounded jar's index: every cookie the shared jar holds, in the order
// it was last set, so that no store has to read the whole jar and the jar
// stays within its bounds, the least recently set going first. Internal to
// web/; callers hold the store's lock.
#pragma once

#include <curl/curl.h>

#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace web {

// One line of the engine's cookie list, in the Netscape cookie-file layout
// (domain, subdomains, path, secure, expiry, name, value; tab separated).
std::string cookie_file_line(const std::string& domain, bool subdomains, const std::string& path, bool secure,
                             long long expires, const std::string& name, const std::string& value);

// One cookie the jar holds, as the store knows it.
struct held_cookie {
    std::string domain;  // lower case, without a leading dot
    bool subdomains = false;
    std::string path;
    std::string name;

    // What the engine tells cookies apart by: a cookie of the same identity
    // replaces this one.
    std::string identity() const;
    // What a cookie stored here replaces: the same name for the same domain.
    std::string group() const { return domain + '\t' + name; }
    // A line that makes the engine drop it: the same identity, long expired.
    std::string expiry_line() const { return cookie_file_line(domain, subdomains, path, false, 1, name, "0"); }
};

class held_index {
public:
    // Records `cookie` as set now, replacing one of the same identity.
    void set(const held_cookie& cookie);
    // Drops from the jar every cookie held for the domain under the name.
    void drop_group(CURL* jar, const std::string& group);
    // Domains whose bounds are to be kept at the next store: the engine's
    // cookies are counted as they come, and the store that follows replaces
    // those it stores itself before anything is dropped for room.
    void mark(const std::string& domain) { unsettled_.insert(domain); }
    // Drops the least recently set cookies of every marked domain until each
    // is within its bound, and only then those of the whole jar until it is
    // within its own: however many hosts a store settled, the jar keeps
    // exactly its bound when it held more.
    void keep_marked_bounds(CURL* jar);
    void clear();

private:
    struct entry;
    using position = std::list<entry>::iterator;
    struct entry {
        held_cookie cookie;
        std::string identity;
        std::list<position>::iterator in_domain;
    };

    void drop(CURL* jar, position at);
    void unlink(position at);

    std::list<entry> order_;
    std::unordered_map<std::string, position> by_identity_;
    std::unordered_map<std::string, std::vector<position>> by_group_;
    std::unordered_map<std::string, std::list<position>> by_domain_;
    std::unordered_set<std::string> unsettled_;
};

}  // namespace web
