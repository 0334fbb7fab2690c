// The network adapters that identify the computer, read from real (veth) interfaces in
// a network of the test's own.
#include <gtest/gtest.h>

#include "NetworkSandbox.h"
#include "platform/NetworkAdapters.h"
#include "startup/modVarokDBConsts.h"

namespace {

std::string Describe(const std::vector<platform::NetworkAdapter>& adapters) {
    std::string text;
    for (const auto& a : adapters) text += a.name + "=" + a.hardwareAddress.value_or("none") + ";";
    return text;
}

sandbox::Outcome ReadAdapters(const std::vector<sandbox::Adapter>& adapters) {
    return sandbox::RunInSandbox({adapters, 0}, [](sandbox::Child& child) {
        child.Set("adapters", Describe(platform::EnabledNetworkAdapters()));
        child.Set("mac", GetMyMacAddress());
    });
}

class NetworkAdapters : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sandbox::Available()) GTEST_SKIP() << "network namespaces are not available here";
    }
};

}  // namespace

TEST_F(NetworkAdapters, ListsUpInterfacesWithAddressesInIndexOrder) {
    // Created first, so listed first although its name sorts last.
    auto out = ReadAdapters({{"zz0", "00:a0:c9:12:34:56"}, {"aa0", "02:11:22:33:44:0f"}});
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.Value("adapters"), "zz0=00:A0:C9:12:34:56;aa0=02:11:22:33:44:0F;");
    EXPECT_EQ(out.Value("mac"), "00A0C9123456");
    EXPECT_TRUE(out.boxes.empty());
}

TEST_F(NetworkAdapters, PassesOverDownAndAddresslessInterfaces) {
    using Ip = sandbox::Adapter::Ip;
    auto out = ReadAdapters({{"down0", "02:00:00:00:00:01", false, Ip::V4},
                             {"noip0", "02:00:00:00:00:02", true, Ip::None},
                             {"v6only0", "02:00:00:00:00:03", true, Ip::V6},
                             {"v4", "02:00:00:00:00:04", true, Ip::V4}});
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    // Neither the loopback nor the veth peers (down, no address) are listed.
    EXPECT_EQ(out.Value("adapters"), "v6only0=02:00:00:00:00:03;v4=02:00:00:00:00:04;");
    EXPECT_EQ(out.Value("mac"), "020000000003");
}

TEST_F(NetworkAdapters, NoAdapterGivesAnEmptyAddressWithoutReport) {
    auto out = ReadAdapters({});
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.Value("adapters"), "");
    EXPECT_EQ(out.Value("mac"), "");
    EXPECT_TRUE(out.boxes.empty());
}

TEST(MacAddressWithoutSeparators, RemovesDashesAndColons) {
    EXPECT_EQ(MacAddressWithoutSeparators("00-A0-C9-12-34-56"), "00A0C9123456");
    EXPECT_EQ(MacAddressWithoutSeparators("00:A0:C9:12:34:56"), "00A0C9123456");
    EXPECT_EQ(MacAddressWithoutSeparators("00A0C9123456"), "00A0C9123456");
    EXPECT_EQ(MacAddressWithoutSeparators(""), "");
}
