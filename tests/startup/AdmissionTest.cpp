// GetAllowMyPC against the test server, on real adapters in a network of the test's own.
#include <gtest/gtest.h>

#include "InhouseRows.h"
#include "NetworkSandbox.h"
#include "startup/modVarokDBConsts.h"

using namespace inhousetest;

namespace {

const std::string kInternetAdvice =
    "\r\n\r\n인터넷이 연결되어 있는지 확인 해 주세요.\r\n\r\n"
    "인터넷이 연결되어 있다면 방화벽이나 각종 스파이웨어 차단 프로그램이 가동중인지 확인해 주세요.\r\n"
    "관련 프로그램이 데이터베이스 접속을 방해하는 경우 일 수도 있습니다.";

// Runs GetAllowMyPC on a computer with these adapters; notes its answer and whether its
// session was gone when it returned.
sandbox::Outcome CheckAdmission(const std::vector<sandbox::Adapter>& adapters, int serverConnections = -1) {
    return sandbox::RunInSandbox({adapters, serverConnections}, [](sandbox::Child& child) {
        child.Set("user", GetAllowMyPC());
        child.Set("connections", child.AcceptedServerConnections());
        child.Set("released", child.WaitForOpenServerConnections(0));
    });
}

void ExpectAnswer(const sandbox::Outcome& out, const std::string& user) {
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.Value("user"), user);
    EXPECT_EQ(out.Value("connections"), "1");
    EXPECT_EQ(out.Value("released"), "true") << "the admission session outlived the check";
    EXPECT_TRUE(out.boxes.empty()) << out.boxes.front().prompt;
}

class Admission : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sandbox::Available()) GTEST_SKIP() << "network namespaces are not available here";
    }
};

}  // namespace

TEST_F(Admission, OnlyTheFirstAdapterCounts) {
    const std::string first = UniqueMac("first"), second = UniqueMac("second");
    const std::string secondUser = UniqueUserId("second"), firstUser = UniqueUserId("first");
    const std::vector<sandbox::Adapter> adapters{{"eth0", first}, {"eth1", second}};

    AddUserMac(secondUser, TableForm(second));
    ExpectAnswer(CheckAdmission(adapters), "");

    AddUserMac(firstUser, TableForm(first));
    ExpectAnswer(CheckAdmission(adapters), firstUser);
}

TEST_F(Admission, TheAddressIsLookedUpAsTwelveDigits) {
    const std::string mac = UniqueMac();
    const std::string user = UniqueUserId();
    // The adapter reports 02:AB:...; rows written with ":" or "-" are not what is asked for.
    std::string colons = TableForm(mac), dashes = TableForm(mac);
    for (std::size_t at : {10, 8, 6, 4, 2}) {
        colons.insert(at, ":");
        dashes.insert(at, "-");
    }
    AddUserMac(UniqueUserId("colons"), colons);
    AddUserMac(UniqueUserId("dashes"), dashes);
    ExpectAnswer(CheckAdmission({{"eth0", mac}}), "");
    AddUserMac(user, TableForm(mac));
    ExpectAnswer(CheckAdmission({{"eth0", mac}}), user);
}

TEST_F(Admission, ABlockedRowDoesNotAdmit) {
    const std::string mac = UniqueMac();
    const std::string blocked = UniqueUserId("blocked"), other = UniqueUserId("other");
    AddUserMac(blocked, TableForm(mac), 1);
    ExpectAnswer(CheckAdmission({{"eth0", mac}}), "");
    // Another user's unblocked row for the same computer still admits it, for that user.
    AddUserMac(other, TableForm(mac), 0);
    ExpectAnswer(CheckAdmission({{"eth0", mac}}), other);
}

TEST_F(Admission, TheFirstOfSeveralUnblockedRowsNamesTheUser) {
    const std::string mac = UniqueMac();
    const std::string first = UniqueUserId("1"), second = UniqueUserId("2"), third = UniqueUserId("3");
    AddUserMac(first, TableForm(mac));
    AddUserMac(second, TableForm(mac));
    AddUserMac(third, TableForm(mac));
    ExpectAnswer(CheckAdmission({{"eth0", mac}}), first);
}

TEST_F(Admission, ARowWithoutUserDoesNotAdmit) {
    const std::string mac = UniqueMac();
    AddUserMac(std::nullopt, TableForm(mac));
    ExpectAnswer(CheckAdmission({{"eth0", mac}}), "");
}

TEST_F(Admission, UnreachableServerReportsItselfAndDoesNotAdmit) {
    const std::string mac = UniqueMac();
    AddUserMac(UniqueUserId(), TableForm(mac));
    auto out = CheckAdmission({{"eth0", mac}}, 0);
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.Value("user"), "");
    ASSERT_EQ(out.boxes.size(), 1u);
    // The library's text ends in the system error number, which varies with the way the
    // refusal is seen (111, or 115 for a refusal found after a non-blocking connect).
    const std::string& prompt = out.boxes[0].prompt;
    EXPECT_EQ(prompt.rfind("Error 2002 Can't connect to server on '127.0.0.1' (", 0), 0u) << prompt;
    EXPECT_TRUE(prompt.ends_with(")\r\n\r\n데이터베이스 서버에 접속할 수 없습니다." + kInternetAdvice)) << prompt;
    EXPECT_EQ(out.boxes[0].buttons, 0);
    EXPECT_EQ(out.boxes[0].title, "누리Tarn_To_누리Velm");
}
