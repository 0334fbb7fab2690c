#include "autoupdate/UpdateMessages.h"

namespace update {

namespace {
constexpr const char* kGoOn = " 지금 버전으로 계속합니다.";
constexpr int kFirstRefusalCode = 5;
}  // namespace

std::string RefusedMessage(const std::string& fileName, Verdict verdict) {
    std::string why;
    switch (verdict) {
        case Verdict::Accepted:
        case Verdict::NotAProgram:
            why =
                " 파일을 내려받았지만 이 컴퓨터에서 실행할 수 있는 온전한 프로그램 파일이 아니어서 설치하지 "
                "않았습니다.";
            break;
        case Verdict::WrongName:
            why = " 자리에 다른 프로그램 파일이 올라와 있어 설치하지 않았습니다.";
            break;
        case Verdict::WrongRevision:
            why = " 파일의 버전이 기대한 버전과 달라 설치하지 않았습니다.";
            break;
        case Verdict::MissingSignature:
            why = " 파일에 서명이 없어 설치하지 않았습니다.";
            break;
        case Verdict::BadSignature:
            why = " 파일의 서명이 맞지 않아 설치하지 않았습니다.";
            break;
    }
    return "업데이트: " + fileName + why + kGoOn;
}

std::string NotSetUpMessage(const std::string& fileName) {
    return "업데이트: " + fileName +
           " 파일을 내려받을 설정(HTTP와 HTTPS만 허용, 시간과 크기 제한)을 적용하지 못해 내려받지 않았습니다." + kGoOn;
}

std::string CheckerTooSlowMessage() {
    return std::string("업데이트 확인이 너무 오래 걸려 중단했습니다.") + kGoOn;
}

std::string StillBehindMessage(const std::string& ownRevision, std::int64_t announced) {
    return "새 버전으로 바꾼 뒤에도 프로그램이 최신 버전이 아닙니다(지금 " + ownRevision + ", 최신 " +
           std::to_string(announced) + ")." + kGoOn;
}

std::string SwapFailedMessage() {
    return std::string("새 버전으로 바꾸지 못했습니다.") + kGoOn;
}

std::string HandOverMessage() {
    return "새 버전을 설치하기 위해 프로그램을 닫습니다. 설치가 끝나면 프로그램이 다시 시작됩니다.";
}

std::string FolderNotWritableMessage(const std::string& folder) {
    return "프로그램 폴더에 쓸 수 없어 새 버전을 설치하지 못했습니다." + std::string(kGoOn) + "\r\n\r\n" + folder;
}

int ProbeExitCode(Verdict verdict) {
    return kFirstRefusalCode + static_cast<int>(verdict) - 1;
}

int ProbeNotSetUpExitCode() {
    return ProbeExitCode(Verdict::BadSignature) + 1;
}

std::optional<Verdict> VerdictOfProbeExit(int exitCode) {
    const int place = exitCode - kFirstRefusalCode + 1;
    if (place < static_cast<int>(Verdict::NotAProgram) || place > static_cast<int>(Verdict::BadSignature))
        return std::nullopt;
    return static_cast<Verdict>(place);
}

}  // namespace update
