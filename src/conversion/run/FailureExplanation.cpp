#include "conversion/run/FailureExplanation.h"

#include "common/ErrorTrap.h"
#include "conversion/NumbersAndTimes.h"
#include "datalayer/AdoErrors.h"
#include "datalayer/OdbcError.h"

namespace {

constexpr const char* kRetryHint = "'실패한 표부터 다시'를 누른 뒤 시작하면 이 표부터 다시 복사합니다.";

// The server's own words, without the driver's "[vendor][version]" prefixes.
std::string ServerText(const std::string& description) {
    const std::size_t end = description.rfind(']');
    return end == std::string::npos ? description : description.substr(end + 1);
}

// The name in the first '…' after `after` in the server's text ("column 'memo'").
std::string Quoted(const std::string& text, const std::string& after) {
    const std::size_t at = text.find(after);
    if (at == std::string::npos) return {};
    const std::size_t open = text.find('\'', at + after.size());
    const std::size_t close = open == std::string::npos ? open : text.find('\'', open + 1);
    return close == std::string::npos ? std::string() : text.substr(open + 1, close - open - 1);
}

bool ConnectionLost(const FailureFacts& f) {
    return f.sqlState.rfind("08", 0) == 0 || f.nativeError == 2006 || f.nativeError == 2013 || f.nativeError == 2003 ||
           f.nativeError == 2002 || f.nativeError == 2026 || f.number == ado::err::kConnectionUnusable;
}

struct Cause {
    std::string what;
    std::string next;
};

Cause CauseOf(const FailureFacts& f) {
    const std::string server = ServerText(f.description);
    const std::string column = Quoted(server, "olumn");
    const std::string field = column.empty() ? Quoted(server, "Field") : column;
    const std::string againHere = " 이 표부터 다시 실행하세요";
    if (f.stopped) return {"사용자가 중지했습니다", "준비가 되면" + againHere};
    if (ConnectionLost(f)) return {"서버와의 연결이 끊겼습니다", "서버와 네트워크를 확인한 뒤" + againHere};
    switch (f.nativeError) {
        case 1406:
            return {"값이 대상 열 " + column + "의 길이보다 깁니다", "대상 열(" + column + ")을 넓힌 뒤" + againHere};
        case 1062:
            return {"같은 키의 행이 이미 있습니다(키 중복: " + Quoted(server, "entry") + ")",
                    "원본의 중복된 행을 정리하거나 대상 테이블의 키를 확인한 뒤" + againHere};
        case 1146: {
            const bool inTarget = !f.targetDatabase.empty() && server.find(f.targetDatabase) != std::string::npos;
            return {std::string(inTarget ? "대상(Velm)" : "원본(Tarn)") + " DB에 테이블이 없습니다",
                    "누리온Velm 최신 버전으로 DB를 올린 뒤" + againHere};
        }
        case 1048:
        case 1364:
            return {"대상 열 " + field + "에는 값이 꼭 있어야 하는데 원본 값이 비어 있습니다",
                    "원본 값을 채우거나 대상 열에 기본값을 준 뒤" + againHere};
        case 1264:
        case 1292:
        case 1366:
            return {"값이 대상 열 " + column + "의 형식에 맞지 않습니다",
                    "대상 열(" + column + ")의 형식을 원본에 맞춘 뒤" + againHere};
        default:
            break;
    }
    return {"복사 중 오류가 났습니다: " + server, "오류 내용을 확인하고 원인을 고친 뒤" + againHere};
}

std::string TargetState(const FailureFacts& f) {
    if (!f.targetTouched) return "건드리지 않음 (원래 자료 그대로)";
    if (f.rowsInTarget < 0) return "비운 뒤 일부만 복사됨 (몇 건인지 확인하지 못함)";
    if (f.rowsInTarget == 0) return "비워짐 (0건)";
    return "일부만 복사됨 (" + GroupDigits(f.rowsInTarget) + "건)";
}

}  // namespace

void TakeError(FailureFacts& facts, const std::exception_ptr& failure) {
    const VbError error = AsVbError(failure);
    facts.number = error.number();
    facts.description = error.description();
    try {
        std::rethrow_exception(failure);
    } catch (const ado::OdbcError& driver) {
        facts.sqlState = driver.sqlState();
        facts.nativeError = driver.nativeError();
    } catch (...) {  // NOLINT(bugprone-empty-catch): not from the driver, nothing more to learn
    }
}

std::vector<std::string> ExplainFailure(const FailureFacts& facts) {
    const Cause cause = CauseOf(facts);
    std::vector<std::string> lines{"테이블: " + facts.table, "원인: " + cause.what};
    if (!facts.refusedRow.empty()) lines.push_back("원본 행: " + facts.refusedRow);
    lines.push_back("대상 테이블: " + TargetState(facts));
    lines.push_back("다음 할 일: " + cause.next + ". " + kRetryHint);
    return lines;
}

std::vector<std::string> ExplainCheckProblems(const std::vector<std::string>& problems) {
    std::vector<std::string> lines{"원인: 시작 전 점검에서 문제 " + std::to_string(problems.size()) +
                                   "건을 찾아 아무 테이블도 비우지 않았습니다"};
    for (const std::string& problem : problems) lines.push_back("  " + problem);
    lines.push_back("다음 할 일: 누리온Velm 최신 버전으로 대상 DB를 올리거나 테이블 선택을 고친 뒤 다시 시작하세요.");
    return lines;
}
