#include "testdata/Vocabulary.h"

#include <stdexcept>
#include <string>

namespace testdata::vocabulary {

namespace {
using W = std::string_view;

constexpr W kUgroup[] = {"관리자", "영업부", "경리부", "물류팀", "매장직원", "대표이사"};
constexpr W kOffice[] = {"본사", "서울지점", "부산지점", "대구영업소", "광주영업소", "대전지점", "제주출장소"};
constexpr W kStorehouse[] = {"본사창고", "제1창고", "제2창고", "물류센터", "매장진열대", "반품창고", "냉동창고"};
constexpr W kCustgroup[] = {"일반거래처", "우수거래처", "도매", "소매", "관공서", "온라인몰", "기타"};
constexpr W kQlty[] = {"특품", "상품", "중품", "하품", "등외"};
constexpr W kPclass[] = {"식품", "음료", "생활용품", "문구류", "전자제품", "공구",     "건축자재",
                         "의류", "잡화", "농산물",   "수산물", "축산물",   "가공식품", "주방용품"};
constexpr W kPackSize[] = {"500ml", "1.5L", "2kg", "10kg",        "A4 500매", "100개입", "30x40cm", "12V",
                           "대",    "중",   "소",  "1박스(20개)", "250g",     "5m",      "Ø12mm",   "규격외"};
constexpr W kUnit[] = {"EA", "개", "박스", "봉", "병", "kg", "롤", "세트", "팩", "장", "BOX", "켤레"};
constexpr W kBank[] = {"국민은행", "신한은행",   "우리은행", "하나은행", "농협은행",
                       "기업은행", "새마을금고", "우체국",   "부산은행", "대구은행"};
constexpr W kCard[] = {"국민카드", "신한카드", "삼성카드", "현대카드", "롯데카드", "비씨카드", "하나카드", "농협카드"};
constexpr W kBiztype[] = {"도소매", "제조", "서비스", "건설", "음식점", "운수", "도매 및 소매업"};
constexpr W kBizitem[] = {"식료품", "문구", "전자부품", "건축자재", "의류", "생활용품", "소프트웨어", "화장품", "철물"};
constexpr W kAddr2[] = {"2층", "3층 301호", "101동 1203호", "지하 1층", "B동 2호", "상가 105호", "별관"};
constexpr W kOption[] = {"빨강/S", "빨강/M", "파랑/L", "검정/L", "검정/XL", "흰색/M", "회색/FREE", "기본"};
constexpr W kOptvalue[] = {"1",       "0",          "Y", "N", "10", "부가세 별도", "매출일 기준", "출고 시 차감",
                           "A4 세로", "원단위 절사"};
constexpr W kSaletype[] = {"일반판매", "도매판매", "행사판매", "직원판매", "온라인판매"};
constexpr W kAccount[] = {"상품매출",   "상품매입", "복리후생비", "여비교통비", "접대비",     "통신비",
                          "수도광열비", "소모품비", "차량유지비", "운반비",     "지급수수료", "임차료",
                          "급여",       "잡이익",   "이자수익",   "광고선전비", "도서인쇄비"};
constexpr W kSite[] = {"푸른마을 아파트 신축공사", "한빛빌딩 리모델링", "제2물류센터 증축", "새솔초등학교 보수공사",
                       "중앙로 상가 인테리어",     "다온타워 전기공사", "가람공원 조경공사"};
constexpr W kReason[] = {"파손", "분실", "유통기한 경과", "실사 차이 조정", "견본 출고", "단순 오류 수정"};
constexpr W kMall[] = {"자사몰", "스마트스토어", "오픈마켓", "소셜커머스", "종합몰", "전문몰"};
constexpr W kSymptom[] = {"전원 불량", "화면 깨짐", "소음 발생", "작동 안 됨", "부품 파손", "충전 불가", "누수"};
constexpr W kAsResult[] = {"부품 교체 완료", "무상 수리", "유상 수리", "교환 처리", "이상 없음 반환", "제조사 입고"};
constexpr W kAction[] = {"등록", "수정", "삭제"};
constexpr W kSummary[] = {"입금", "출금", "이체", "카드대금", "급여이체", "이자", "수수료", "현금입금", "자동이체"};
constexpr W kHoliday[] = {"신정",   "설날", "삼일절", "어린이날", "부처님오신날", "현충일",
                          "광복절", "추석", "개천절", "한글날",   "성탄절",       "창립기념일"};
constexpr W kEvent[] = {"봄맞이 특가", "여름 정기세일",    "추석 선물전",
                        "연말 감사제", "신상품 출시 기념", "창립 기념 할인"};
constexpr W kImgtype[] = {"png", "jpg", "bmp"};

struct NamedList {
    W name;
    std::span<const W> words;
};
constexpr NamedList kLists[] = {
    {"ugroup", kUgroup},   {"office", kOffice},      {"storehouse", kStorehouse}, {"custgroup", kCustgroup},
    {"qlty", kQlty},       {"pclass", kPclass},      {"packsize", kPackSize},     {"unit", kUnit},
    {"bank", kBank},       {"card", kCard},          {"biztype", kBiztype},       {"bizitem", kBizitem},
    {"addr2", kAddr2},     {"option", kOption},      {"optvalue", kOptvalue},     {"saletype", kSaletype},
    {"account", kAccount}, {"site", kSite},          {"reason", kReason},         {"mall", kMall},
    {"symptom", kSymptom}, {"as_result", kAsResult}, {"action", kAction},         {"summary", kSummary},
    {"holiday", kHoliday}, {"event", kEvent},        {"imgtype", kImgtype},
};

constexpr W kSurnames[] = {"김", "이", "박", "최", "정", "강", "조", "윤", "장",   "임",
                           "한", "오", "서", "신", "권", "황", "안", "송", "류",   "전",
                           "홍", "고", "문", "양", "손", "배", "백", "허", "남궁", "선우"};
constexpr W kGivenNames[] = {"민준", "서준", "도윤", "예준", "시우", "하준", "주원", "지호", "지후", "준우",
                             "서연", "서윤", "지우", "서현", "민서", "하은", "하윤", "윤서", "지유", "채원",
                             "영수", "영희", "철수", "순자", "정숙", "미경", "상훈", "성민", "현우", "지훈",
                             "은정", "혜진", "동현", "재원", "수빈", "똠",   "뷁순", "가람", "슬기", "봄"};
constexpr W kCompanyStems[] = {"한빛", "푸른", "새솔", "다온", "가람", "누리",   "하늘", "바다",   "동방", "금강",
                               "백두", "태백", "청솔", "미소", "으뜸", "참좋은", "한결", "온누리", "대륙", "세종"};
constexpr W kCompanyKinds[] = {"상사", "물산", "유통",     "산업", "테크", "식품", "건설",
                               "전자", "무역", "종합상사", "마트", "약국", "문구", "철물"};
constexpr W kProductQualifiers[] = {"프리미엄", "국산",   "유기농", "친환경", "특대",
                                    "실속",     "가정용", "업소용", "신형",   "고급"};
constexpr W kProductItems[] = {"사과",   "배",   "생수",    "라면",     "복사용지", "볼펜",   "전선",     "나사못",
                               "목장갑", "세제", "화장지",  "커피믹스", "쌀",       "김치",   "고춧가루", "참기름",
                               "간장",   "된장", "LED전구", "멀티탭",   "마스크",   "물티슈", "건전지",   "박스테이프"};
constexpr W kRegions[] = {"서울특별시",      "부산광역시",      "대구광역시",      "인천광역시",
                          "광주광역시",      "대전광역시",      "경기도 수원시",   "경기도 성남시",
                          "충청북도 청주시", "전라북도 전주시", "경상남도 창원시", "제주특별자치도 제주시"};
constexpr W kDistricts[] = {"강남구",   "중구",   "서구",   "동구",   "남구",  "북구",
                            "해운대구", "분당구", "영통구", "유성구", "상당구"};
constexpr W kRoads[] = {"테헤란로", "중앙로", "번영로", "대학로", "시청로", "문화로", "산업로", "해안로", "월드컵로"};
constexpr W kMemoPhrases[] = {"정기 거래처",
                              "결제일 매월 25일",
                              "배송 전 전화 요망",
                              "세금계산서 이메일 발행",
                              "'긴급' 처리 요망",
                              "단가 협의 중",
                              "반품 1건 있음",
                              "현금 결제 선호",
                              "담당자 변경됨",
                              "오전 배송만 가능",
                              "특이사항 없음",
                              "지난달 미수금 정리 완료",
                              "C:\\자료\\견적서.xls 참고",
                              "영수증 재발행 요청",
                              "100% 선입금",
                              "\"VIP\" 고객",
                              "주차 불가 - 뒷문 이용",
                              "(주)본사 승인 필요"};
constexpr W kWideMemoPhrases[] = {"감사합니다 😊", "확인 완료 👍", "배송 🚚 출발"};
constexpr W kTitles[] = {"신규 거래처 방문", "월말 재고 조사", "견적서 송부",    "납품 일정 협의",     "세무 신고 준비",
                         "매장 진열 변경",   "자재 견적 요청", "분기 실적 보고", "거래처 미수금 확인", "신제품 설명회"};
constexpr W kCarSyllables[] = {"가", "나", "다", "라", "마", "거", "너", "더", "러", "머", "버", "서",
                               "어", "저", "고", "노", "도", "로", "모", "보", "소", "오", "조", "구"};
constexpr W kMailDomains[] = {"naver.com", "daum.net", "gmail.com", "hanmail.net", "example.co.kr", "nate.com"};
constexpr W kRomanized[] = {"kim", "lee", "park", "choi", "jung", "kang",  "cho", "yoon", "jang", "lim",
                            "han", "oh",  "seo",  "shin", "kwon", "hwang", "ahn", "song", "ryu",  "hong"};
}  // namespace

std::span<const std::string_view> Words(std::string_view list) {
    for (const NamedList& l : kLists)
        if (l.name == list) return l.words;
    throw std::out_of_range("no word list named " + std::string(list));
}

std::span<const std::string_view> Surnames() {
    return kSurnames;
}
std::span<const std::string_view> GivenNames() {
    return kGivenNames;
}
std::span<const std::string_view> CompanyStems() {
    return kCompanyStems;
}
std::span<const std::string_view> CompanyKinds() {
    return kCompanyKinds;
}
std::span<const std::string_view> ProductQualifiers() {
    return kProductQualifiers;
}
std::span<const std::string_view> ProductItems() {
    return kProductItems;
}
std::span<const std::string_view> Regions() {
    return kRegions;
}
std::span<const std::string_view> Districts() {
    return kDistricts;
}
std::span<const std::string_view> Roads() {
    return kRoads;
}
std::span<const std::string_view> MemoPhrases() {
    return kMemoPhrases;
}
std::span<const std::string_view> WideMemoPhrases() {
    return kWideMemoPhrases;
}
std::span<const std::string_view> Titles() {
    return kTitles;
}
std::span<const std::string_view> CarSyllables() {
    return kCarSyllables;
}
std::span<const std::string_view> MailDomains() {
    return kMailDomains;
}
std::span<const std::string_view> Romanized() {
    return kRomanized;
}

}  // namespace testdata::vocabulary
