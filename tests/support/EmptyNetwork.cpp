#include "support/EmptyNetwork.h"

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace testsupport {

bool RunWithoutNetwork(const std::function<bool(std::string& message)>& check, std::string& message) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        message = "pipe failed";
        return false;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string childMessage;
        bool ok = false;
        if (::unshare(CLONE_NEWNET) != 0)
            childMessage = std::string("unshare(CLONE_NEWNET) failed: ") + std::strerror(errno);
        else
            ok = check(childMessage);
        (void)!::write(pipeFds[1], childMessage.data(), childMessage.size());
        ::_exit(ok ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::array<char, 4096> buffer{};
    ssize_t n;
    message.clear();
    while ((n = ::read(pipeFds[0], buffer.data(), buffer.size())) > 0) message.append(buffer.data(), n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace testsupport
