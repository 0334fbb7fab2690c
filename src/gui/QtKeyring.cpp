#include "gui/QtKeyring.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "gui/QtText.h"

namespace {

using Answer = PasswordKeyring::Answer;

// A keyring that has not answered by then (a hung service on the session bus) is taken as
// none, so the sign-in never waits on it for good.
constexpr int kAnswerWithinMs = 15000;

// Runs the job to its end and says how the keyring answered.
Answer Finish(QKeychain::Job& job, const std::string& key) {
    if (!QCoreApplication::instance()) return Answer::Unavailable;
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(ToQ(key));
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    job.start();
    if (!finished) {
        QTimer::singleShot(kAnswerWithinMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!finished) return Answer::Unavailable;
    switch (job.error()) {
        case QKeychain::NoError:
            return Answer::Done;
        case QKeychain::EntryNotFound:
            return Answer::NotFound;
        default:
            return Answer::Unavailable;
    }
}

}  // namespace

PasswordKeyring::Secret QtKeyring::Read(const std::string& service, const std::string& key) {
    QKeychain::ReadPasswordJob job(ToQ(service));
    const Answer answer = Finish(job, key);
    return {answer, answer == Answer::Done ? FromQ(job.textData()) : std::string()};
}

Answer QtKeyring::Write(const std::string& service, const std::string& key, const std::string& secret) {
    QKeychain::WritePasswordJob job(ToQ(service));
    job.setTextData(ToQ(secret));
    return Finish(job, key);
}

Answer QtKeyring::Delete(const std::string& service, const std::string& key) {
    QKeychain::DeletePasswordJob job(ToQ(service));
    const Answer answer = Finish(job, key);
    return answer == Answer::NotFound ? Answer::Done : answer;
}
