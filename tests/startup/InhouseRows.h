#pragma once
// Rows of the in-house database for one test: user IDs and adapter addresses unique to
// the running test, so that tests can run side by side on the one server.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "support/TestServer.h"

namespace inhousetest {

inline std::uint64_t TestHash(const std::string& salt) {
    return std::hash<std::string>{}(testsupport::UniqueName("startup") + "/" + salt);
}

// A user ID unique to the test (user.id holds at most 32 characters).
inline std::string UniqueUserId(const std::string& salt = {}) {
    char text[24];
    std::snprintf(text, sizeof text, "u%016llx", static_cast<unsigned long long>(TestHash("user" + salt)));
    return text;
}

// A locally administered unicast hardware address unique to the test, as `ip` takes it.
inline std::string UniqueMac(const std::string& salt = {}) {
    const std::uint64_t h = TestHash("mac" + salt);
    char text[24];
    std::snprintf(text, sizeof text, "02:%02x:%02x:%02x:%02x:%02x", unsigned(h & 0xFF), unsigned((h >> 8) & 0xFF),
                  unsigned((h >> 16) & 0xFF), unsigned((h >> 24) & 0xFF), unsigned((h >> 32) & 0xFF));
    return text;
}

// The address as the in-house table keeps it: twelve upper-case digits, no separators.
inline std::string TableForm(const std::string& mac) {
    std::string out;
    for (char c : mac)
        if (c != ':' && c != '-') out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

inline void AddUser(const std::string& id, const std::string& password, int hidden = 0) {
    using testsupport::SqlQuote;
    testsupport::AdminSql("DELETE FROM user WHERE id = " + SqlQuote(id) +
                              "; INSERT INTO user (id, password, name, hidden) VALUES (" + SqlQuote(id) + ", " +
                              SqlQuote(password) + ", '시험 사용자', " + std::to_string(hidden) + ")",
                          "vr_inhouse");
}

// A user_mac row; a user ID of nullopt stores NULL.
inline void AddUserMac(const std::optional<std::string>& userId, const std::string& macInTable, int block = 0) {
    using testsupport::SqlQuote;
    testsupport::AdminSql("INSERT INTO user_mac (user_id, mac_addr, block) VALUES (" +
                              (userId ? SqlQuote(*userId) : std::string("NULL")) + ", " + SqlQuote(macInTable) + ", " +
                              std::to_string(block) + ")",
                          "vr_inhouse");
}

}  // namespace inhousetest
