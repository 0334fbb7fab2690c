#include "common/DatabaseTls.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>

#include "common/BuiltInValues.h"
#include "common/VbError.h"

namespace dbtls {

namespace {
constexpr std::int32_t kNoAuthority = 5;

struct SealedCopy {
    std::string path;
    std::string error;
};

std::string ReadBack(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

SealedCopy MakeSealedCopy() {
    const std::string_view pem = builtin::kDatabaseAuthority;
    const int fd = ::memfd_create("database-authority", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0) return {{}, std::strerror(errno)};
    std::size_t written = 0;
    while (written < pem.size()) {
        const ssize_t n = ::write(fd, pem.data() + written, pem.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return {{}, std::strerror(errno)};
        written += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, 0400) != 0 ||
        ::fcntl(fd, F_ADD_SEALS, F_SEAL_WRITE | F_SEAL_GROW | F_SEAL_SHRINK | F_SEAL_SEAL) != 0)
        return {{}, std::strerror(errno)};
    SealedCopy copy{"/proc/self/fd/" + std::to_string(fd), {}};
    if (ReadBack(copy.path) != pem) return {{}, "기록한 내용이 다르게 읽힙니다"};
    return copy;
}

bool Says(const std::string& text, std::string_view words) {
    return text.find(words) != std::string::npos;
}
}  // namespace

bool Required() {
    return *builtin::kDatabaseAuthority != '\0';
}

const std::string& AuthorityFile() {
    static const SealedCopy copy = MakeSealedCopy();
    if (copy.path.empty())
        throw VbError(kNoAuthority, "DatabaseAuthority",
                      "데이터베이스 서버의 인증서를 확인할 인증 기관을 준비하지 못했습니다 (" + copy.error +
                          "). 암호화하지 않고는 접속하지 않습니다.");
    return copy.path;
}

std::string Refusal(const std::string& server, const std::string& text) {
    // A server that stopped answering or a network that broke during the handshake is no
    // refusal: the usual words for an unreachable server fit it.
    if (Says(text, "timed out") || Says(text, "reset by peer") || Says(text, "Broken pipe")) return {};
    std::string why;
    if (Says(text, "server does not support"))
        why = "서버가 암호화(TLS) 연결을 지원하지 않습니다";
    else if (Says(text, "has expired"))
        why = "서버의 인증서가 만료되었습니다";
    else if (Says(text, "not yet valid"))
        why = "서버의 인증서가 아직 유효하지 않습니다";
    else if (Says(text, "mismatch") || Says(text, "Validation of SSL server certificate failed"))
        why = "서버의 인증서가 접속한 주소의 것이 아닙니다";
    else if (Says(text, "issuer") || Says(text, "self-signed") || Says(text, "self signed") ||
             Says(text, "unable to verify"))
        why = "서버의 인증서를 이 프로그램이 믿는 인증 기관이 발급하지 않았습니다";
    else if (Says(text, "TLS") || Says(text, "SSL"))
        why = "암호화(TLS) 연결을 맺지 못했습니다";
    else
        return {};
    return server + "에 접속하지 않았습니다: " + why +
           ". 다른 서버가 대신 응답하고 있을 수 있어 암호화되지 않았거나 확인되지 않은 연결은 쓰지 않습니다. (" + text +
           ")";
}

std::string NotEncrypted(const std::string& server) {
    return server + "에 접속하지 않았습니다: 연결이 암호화되지 않았습니다. 암호화되지 않은 연결은 쓰지 않습니다.";
}

}  // namespace dbtls
