// nutv-update-sign: the maker's signing command for signed updates.
//   nutv-update-sign keygen <private key file>          makes a key pair: writes the private
//                                                       key (mode 0600), prints the public key
//   nutv-update-sign public <private key file>          prints the public key again
//   nutv-update-sign sign <private key file> <file>...  writes <file>.sig beside each file
// The public key goes into the build (-DNUTV_UPDATE_PUBLIC_KEY=...); the files and their
// .sig files go onto the download server side by side. Exit code 0 done, 1 failed, 2 usage.
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <vector>

#include "autoupdate/ExecutableCheck.h"
#include "autoupdate/UpdateSignature.h"
#include "platform/MappedFile.h"

namespace {

std::string ReadPrivateKey(const std::string& path) {
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return update::PublicKeyOf(text).empty() ? std::string() : text;
}

// A new file only: an existing private key is never overwritten.
bool WritePrivateKey(const std::string& path, const std::string& key) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const std::string line = key + "\n";
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    return ::close(fd) == 0 && written;
}

int Usage() {
    std::cerr << "usage: nutv-update-sign keygen <private key file>\n"
                 "       nutv-update-sign public <private key file>\n"
                 "       nutv-update-sign sign <private key file> <file>...\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2) return Usage();
    const std::string& command = args[0];
    const std::string& keyFile = args[1];
    if (command == "keygen" && args.size() == 2) {
        const auto pair = update::MakeKeyPair();
        if (!pair || !WritePrivateKey(keyFile, pair->first)) {
            std::cerr << "nutv-update-sign: cannot write a new key to " << keyFile << " (it must not exist yet)\n";
            return 1;
        }
        std::cout << pair->second << '\n';
        return 0;
    }
    const std::string privateKey = ReadPrivateKey(keyFile);
    if (privateKey.empty()) {
        std::cerr << "nutv-update-sign: " << keyFile << " holds no private key\n";
        return 1;
    }
    if (command == "public" && args.size() == 2) {
        std::cout << update::PublicKeyOf(privateKey) << '\n';
        return 0;
    }
    if (command != "sign" || args.size() < 3) return Usage();
    for (std::size_t i = 2; i < args.size(); ++i) {
        const platform::MappedFile file(args[i]);
        const std::string signature = file.ok() ? update::Sign(file.bytes(), privateKey) : std::string();
        if (signature.empty() ||
            !(std::ofstream(update::SignatureName(args[i]), std::ios::trunc) << signature << '\n')) {
            std::cerr << "nutv-update-sign: cannot sign " << args[i] << '\n';
            return 1;
        }
    }
    return 0;
}
