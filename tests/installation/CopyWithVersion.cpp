// nutv-copy-with-version SOURCE DESTINATION VERSION: copies an executable of ours with
// another version block, for the installation test's outdated update tool.
#include <exception>
#include <iostream>

#include "support/VersionedProgram.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: nutv-copy-with-version SOURCE DESTINATION VERSION\n";
        return 2;
    }
    try {
        testsupport::CopyWithVersion(argv[1], argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::cerr << "nutv-copy-with-version: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
