#include "support/QtKeyringInstalled.h"

#include <QCoreApplication>

#include "gui/QtKeyring.h"

namespace testsupport {

QtKeyringInstalled::QtKeyringInstalled() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "nutv-test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }
    previous_ = SetPasswordKeyring(std::make_unique<QtKeyring>());
}

QtKeyringInstalled::~QtKeyringInstalled() {
    SetPasswordKeyring(std::move(previous_));
}

}  // namespace testsupport
