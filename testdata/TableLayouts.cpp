#include "testdata/TableLayouts.h"

#include <stdexcept>
#include <string>

// The customer tables of both editions. Each row: column name, declaration in the older
// edition, declaration in the newer edition, how values are made up, argument, % without a
// value, % zero dates (or empty texts). The newer edition's changes are the ones an upgrade
// of such a product brings: wider texts and numbers, utf8mb4 throughout, dates stored as
// text turned into DATE columns, new columns with defaults, a few columns given up.
namespace testdata::layout {

namespace {
using enum Gen;

constexpr std::string_view kSame = "=";
constexpr std::string_view kNone = "";
constexpr std::string_view kSeq = "INT NOT NULL AUTO_INCREMENT";
constexpr std::string_view kIntKey = "INT NOT NULL";
constexpr std::string_view kCodeKey = "VARCHAR(20) NOT NULL";
constexpr std::string_view kCodeRef = "VARCHAR(20) NOT NULL DEFAULT ''";
constexpr std::string_view kIntRef = "INT NOT NULL DEFAULT 0";
constexpr std::string_view kZeroDate = "DATE NOT NULL DEFAULT '0000-00-00'";
constexpr std::string_view kZeroDateTime = "DATETIME NOT NULL DEFAULT '0000-00-00 00:00:00'";
constexpr std::string_view kDate = "DATE NULL";
constexpr std::string_view kDateTime = "DATETIME NULL";
constexpr std::string_view kYes = "CHAR(1) NOT NULL DEFAULT 'Y'";
constexpr std::string_view kNo = "CHAR(1) NOT NULL DEFAULT 'N'";
constexpr std::string_view kMemo = "VARCHAR(100) NULL";
constexpr std::string_view kText = "TEXT NULL";
constexpr std::string_view kMoney = "DECIMAL(15,0) NOT NULL DEFAULT 0";
constexpr std::string_view kAmount = "DECIMAL(15,2) NOT NULL DEFAULT 0.00";
constexpr std::string_view kPrice = "DECIMAL(12,2) NOT NULL DEFAULT 0.00";
constexpr std::string_view kWidePrice = "DECIMAL(15,2) NOT NULL DEFAULT 0.00";
constexpr std::string_view kQty = "INT NOT NULL DEFAULT 0";
constexpr std::string_view kRate = "DECIMAL(5,2) NOT NULL DEFAULT 0.00";
constexpr std::string_view kTiny = "TINYINT NOT NULL DEFAULT 0";

// clang-format off
// 1
constexpr ColumnLayout kLocalUser[] = {
    {"userid",      kCodeKey,                              kSame,                              Code, "user"},
    {"passwd",      "VARCHAR(64) NOT NULL DEFAULT ''",     kSame,                              Hash},
    {"username",    "VARCHAR(20) NOT NULL DEFAULT ''",     "VARCHAR(40) NOT NULL DEFAULT ''",  PersonName},
    {"ugroup",      kIntRef,                               kSame,                              Ref, "local_ugroup"},
    {"offcode",     kIntRef,                               kSame,                              Ref, "office"},
    {"tel",         "VARCHAR(20) NULL",                    kSame,                              Mobile, {}, 20},
    {"use_yn",      "ENUM('Y','N') NOT NULL DEFAULT 'Y'",  kYes,                               YesNo, "90"},
    {"photo",       "BLOB NULL",                           kSame,                              Blob, "300..3000", 70},
    {"regdate",     kDateTime,                             kSame,                              DateTime},
    {"email",       kNone,                                 "VARCHAR(100) NOT NULL DEFAULT ''", Email},
    {"pwd_changed", kNone,                                 "DATETIME NULL DEFAULT NULL",       DateTime, {}, 50},
};
// 2
constexpr ColumnLayout kLocalUgroup[] = {
    {"grpno",   kSeq,                               kSame,                              Serial},
    {"grpname", "VARCHAR(30) NOT NULL DEFAULT ''",  kSame,                              Word, "ugroup"},
    {"auth",    "VARCHAR(200) NOT NULL DEFAULT ''", "VARCHAR(500) NOT NULL DEFAULT ''", Hash},
    {"memo",    kMemo,                              kSame,                              Memo, {}, 50},
};
// 3
constexpr ColumnLayout kRelUsergrp[] = {
    {"seq",        kSeq,      kSame,                          Serial},
    {"userid",     kCodeRef,  kSame,                          Ref, "local_user"},
    {"grpno",      kIntRef,   kSame,                          Ref, "local_ugroup"},
    {"regdate",    kDateTime, kSame,                          DateTime},
    {"auth_level", kNone,     "TINYINT NOT NULL DEFAULT 1",   Int, "1..3"},
};
// 4
constexpr ColumnLayout kOffice[] = {
    {"offcode", kIntKey,                            kSame,                            Serial},
    {"offname", "VARCHAR(40) NOT NULL DEFAULT ''",  kSame,                            Word, "office"},
    {"bizno",   "VARCHAR(12) NOT NULL DEFAULT ''",  kSame,                            BizNo},
    {"ceo",     "VARCHAR(20) NULL",                 kSame,                            PersonName, {}, 10},
    {"tel",     "VARCHAR(20) NULL",                 kSame,                            Phone},
    {"fax",     "VARCHAR(20) NULL",                 kSame,                            Phone, {}, 40},
    {"addr",    "VARCHAR(100) NULL",                "VARCHAR(200) NULL",              Address},
    {"zipcode", kNone,                              "VARCHAR(7) NOT NULL DEFAULT ''", Zip},
};
// 5
constexpr ColumnLayout kStorehouse[] = {
    {"stcode",  kIntKey,                           kSame,                             Serial},
    {"stname",  "VARCHAR(30) NOT NULL DEFAULT ''", "VARCHAR(50) NOT NULL DEFAULT ''", Word, "storehouse"},
    {"offcode", kIntRef,                           kSame,                             Ref, "office"},
    {"memo",    kMemo,                             kSame,                             Memo, {}, 60},
    {"use_yn",  kYes,                              kSame,                             YesNo, "90"},
    {"sort_no", kNone,                             "INT NOT NULL DEFAULT 0",          Int, "1..20"},
};
// 6
constexpr ColumnLayout kCustgroup[] = {
    {"cgcode", kIntKey,                           kSame, Serial},
    {"cgname", "VARCHAR(30) NOT NULL DEFAULT ''", kSame, Word, "custgroup"},
    {"dcrate", kRate,                             kSame, Rate, "0..15"},
    {"memo",   kMemo,                             kSame, Memo, {}, 60},
};
// 7
constexpr ColumnLayout kCustomer[] = {
    {"custcode",      kCodeKey,                             kSame,                               Code, "C"},
    {"custname",      "VARCHAR(50) NOT NULL DEFAULT ''",    "VARCHAR(100) NOT NULL DEFAULT ''",  CompanyName},
    {"cgcode",        kIntRef,                              kSame,                               Ref, "custgroup"},
    {"ceo",           "VARCHAR(20) NULL",                   kSame,                               PersonName, {}, 10},
    {"bizno",         "VARCHAR(12) NOT NULL DEFAULT ''",    kSame,                               BizNo},
    {"uptae",         "VARCHAR(30) NULL",                   kSame,                               Word, "biztype", 20},
    {"jongmok",       "VARCHAR(30) NULL",                   kSame,                               Word, "bizitem", 20},
    {"tel",           "VARCHAR(20) NULL",                   kSame,                               Phone, {}, 10},
    {"hp",            "VARCHAR(20) NULL",                   kSame,                               Mobile, {}, 30},
    {"fax",           "VARCHAR(20) NULL",                   kNone,                               Phone, {}, 50},
    {"zipcode",       "INT NULL",                           "VARCHAR(10) NULL",                  Zip, {}, 15},
    {"addr1",         "VARCHAR(100) NULL",                  "VARCHAR(200) NULL",                 Address, {}, 10},
    {"addr2",         "VARCHAR(100) NULL",                  "VARCHAR(200) NULL",                 Word, "addr2", 40},
    {"email",         "VARCHAR(60) NULL",                   "VARCHAR(100) NOT NULL DEFAULT ''",  Email, {}, 30},
    {"birthday",      "VARCHAR(10) NOT NULL DEFAULT ''",    "DATE NULL",                         TextDate, "1950..2000", 0, 40},
    {"creditlimit",   "DECIMAL(12,0) NOT NULL DEFAULT 0",   kMoney,                              Money, "0..50000000"},
    {"balance",       kPrice,                               kWidePrice,                          Price, "-2000000..30000000"},
    {"memo",          kText,                                kSame,                               Memo, {}, 50},
    {"lastemaildate", kZeroDateTime,                        "DATETIME NULL DEFAULT NULL",        DateTime, {}, 0, 30},
    {"lastmodify",    kZeroDateTime,                        kSame,                               DateTime, {}, 0, 20},
    {"regdate",       kDateTime,                            kSame,                               DateTime},
    {"use_yn",        kNone,                                kYes,                                YesNo, "95"},
    {"point",         kNone,                                "INT NOT NULL DEFAULT 0",            Int, "0..50000"},
    {"kakao_id",      kNone,                                "VARCHAR(50) NULL DEFAULT NULL",     Code, "kakao", 70},
};
// 8
constexpr ColumnLayout kQlty[] = {
    {"qcode", kIntKey,                           kSame,                      Serial},
    {"qname", "VARCHAR(20) NOT NULL DEFAULT ''", kSame,                      Word, "qlty"},
    {"rate",  "FLOAT NOT NULL DEFAULT 0",        "DOUBLE NOT NULL DEFAULT 0", Quarter, "0..20"},
    {"memo",  kMemo,                             kSame,                      Memo, {}, 60},
};
// 9
constexpr ColumnLayout kPclass[] = {
    {"pccode",  kIntKey,                           kSame,                             Serial},
    {"pcname",  "VARCHAR(30) NOT NULL DEFAULT ''", "VARCHAR(60) NOT NULL DEFAULT ''", Word, "pclass"},
    {"parent",  kIntRef,                           kSame,                             Ref, "pclass"},
    {"depth",   "TINYINT NOT NULL DEFAULT 1",      kSame,                             Int, "1..3"},
    {"sort_no", "INT NOT NULL DEFAULT 0",          kSame,                             Int, "1..99"},
};
// 10
constexpr ColumnLayout kProductM[] = {
    {"prodcode",   kCodeKey,                            kSame,                              Code, "P"},
    {"prodname",   "VARCHAR(60) NOT NULL DEFAULT ''",   "VARCHAR(120) NOT NULL DEFAULT ''", ProductName},
    {"packsize",   "VARCHAR(40) NULL",                  kSame,                              Word, "packsize", 25},
    {"unit",       "VARCHAR(10) NOT NULL DEFAULT 'EA'", kSame,                              Word, "unit"},
    {"pccode",     kIntRef,                             kSame,                              Ref, "pclass"},
    {"qcode",      kIntRef,                             kSame,                              Ref, "qlty"},
    {"barcode",    "VARCHAR(20) NULL",                  kSame,                              Barcode, {}, 20},
    {"inprice",    kPrice,                              kWidePrice,                         Price, "100..500000"},
    {"outprice",   kPrice,                              kWidePrice,                         Price, "150..800000"},
    {"vat_yn",     kYes,                                kSame,                              YesNo, "85"},
    {"stockqty",   "INT NOT NULL DEFAULT 0",            "BIGINT NOT NULL DEFAULT 0",        Qty, "-20..5000"},
    {"weight",     "DOUBLE NULL",                       kNone,                              Weight, "0..50", 30},
    {"img",        "BLOB NULL",                         "MEDIUMBLOB NULL",                  Blob, "500..4000", 85},
    {"memo",       kText,                               kSame,                              Memo, {}, 60},
    {"lastmodify", kZeroDateTime,                       kSame,                              DateTime, {}, 0, 20},
    {"regdate",    kDateTime,                           kSame,                              DateTime},
    {"taxfree",    kNone,                               kTiny,                              Int, "0..1"},
    {"safe_stock", kNone,                               "INT NOT NULL DEFAULT 0",           Int, "0..100"},
};
// 11
constexpr ColumnLayout kProductD[] = {
    {"seq",      kSeq,                                  kSame,      Serial},
    {"prodcode", kCodeRef,                              kSame,      Ref, "product_m"},
    {"optname",  "VARCHAR(30) NOT NULL DEFAULT ''",     kSame,      Word, "option"},
    {"addprice", "DECIMAL(10,2) NOT NULL DEFAULT 0.00", kWidePrice, Price, "0..20000"},
    {"barcode",  "VARCHAR(20) NULL",                    kSame,      Barcode, {}, 50},
    {"stockqty", kQty,                                  kSame,      Qty, "0..500"},
};
// 12
constexpr ColumnLayout kBomlist[] = {
    {"seq",       kSeq,                                   kSame, Serial},
    {"prodcode",  kCodeRef,                               kSame, Ref, "product_m"},
    {"subcode",   kCodeRef,                               kSame, Ref, "product_m"},
    {"qty",       "DECIMAL(10,3) NOT NULL DEFAULT 0.000", kSame, Qty, "1..20"},
    {"memo",      kMemo,                                  kSame, Memo, {}, 70},
    {"loss_rate", kNone,                                  kRate, Rate, "0..5"},
};
// 13
constexpr ColumnLayout kBankbook[] = {
    {"bankno",    kIntKey,                           kSame, Serial},
    {"bankname",  "VARCHAR(20) NOT NULL DEFAULT ''", kSame, Word, "bank"},
    {"accountno", "VARCHAR(30) NOT NULL DEFAULT ''", kSame, AccountNo},
    {"holder",    "VARCHAR(20) NULL",                kSame, PersonName},
    {"balance",   kMoney,                            kSame, Money, "0..300000000"},
    {"memo",      kMemo,                             kSame, Memo, {}, 50},
    {"use_yn",    kYes,                              kSame, YesNo, "90"},
};
// 14
constexpr ColumnLayout kBillnote[] = {
    {"seq",        kSeq,                              kSame,                                Serial},
    {"billno",     "VARCHAR(20) NOT NULL DEFAULT ''", kSame,                                Code, "B"},
    {"kind",       kTiny,                             kSame,                                Int, "1..2"},
    {"custcode",   kCodeRef,                          kSame,                                Ref, "customer"},
    {"amount",     kMoney,                            kSame,                                Money, "100000..50000000"},
    {"bank",       "VARCHAR(20) NULL",                kSame,                                Word, "bank", 20},
    {"expiredate", kZeroDate,                         "DATE NOT NULL DEFAULT '1900-01-01'", Date, "2016..2025", 0, 25},
    {"dealdate",   kZeroDate,                         kSame,                                Date, "2016..2025", 0, 25},
    {"state",      kTiny,                             kSame,                                Int, "0..3"},
    {"memo",       kMemo,                             kSame,                                Memo, {}, 60},
    {"issuer",     kNone,                             "VARCHAR(40) NOT NULL DEFAULT ''",    PersonName},
};
// 15
constexpr ColumnLayout kCrcard[] = {
    {"seq",       kSeq,                               kSame,       Serial},
    {"cardname",  "VARCHAR(20) NOT NULL DEFAULT ''",  kSame,       Word, "card"},
    {"cardno",    "VARCHAR(20) NOT NULL DEFAULT ''",  kSame,       CardNo},
    {"owner",     "VARCHAR(20) NULL",                 kSame,       PersonName},
    {"validthru", "VARCHAR(10) NOT NULL DEFAULT ''",  "DATE NULL", TextDate, "2024..2030", 0, 30},
    {"limitamt",  "DECIMAL(12,0) NOT NULL DEFAULT 0", kSame,       Money, "1000000..20000000"},
    {"memo",      kMemo,                              kSame,       Memo, {}, 50},
};
// 16
constexpr ColumnLayout kCustBase[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"custcode", kCodeRef, kSame, Ref, "customer"},
    {"basedate", kDate,    kSame, Date},
    {"recvbase", kAmount,  kSame, Price, "0..10000000"},
    {"paybase",  kAmount,  kSame, Price, "0..10000000"},
    {"memo",     kMemo,    kSame, Memo, {}, 70},
};
// 17
constexpr ColumnLayout kMultyPrice[] = {
    {"seq",        kSeq,                         kSame,                         Serial},
    {"prodcode",   kCodeRef,                     kSame,                         Ref, "product_m"},
    {"level",      "TINYINT NOT NULL DEFAULT 1", "SMALLINT NOT NULL DEFAULT 1", Int, "1..5"},
    {"price",      kPrice,                       kWidePrice,                    Price, "100..900000"},
    {"lastmodify", kZeroDateTime,                kSame,                         DateTime, {}, 0, 25},
};
// 18
constexpr ColumnLayout kOptions[] = {
    {"optkey",   "VARCHAR(40) NOT NULL",             kSame,       Code, "opt_"},
    {"optvalue", "VARCHAR(200) NOT NULL DEFAULT ''", "TEXT NULL", Word, "optvalue"},
    {"memo",     kMemo,                              kSame,       Memo, {}, 40},
};
// 19
constexpr ColumnLayout kSaletype[] = {
    {"stype",  kIntKey,                           kSame, Serial},
    {"stname", "VARCHAR(20) NOT NULL DEFAULT ''", kSame, Word, "saletype"},
    {"dcrate", kRate,                             kSame, Rate, "0..10"},
    {"use_yn", kYes,                              kSame, YesNo, "90"},
};
// 20
constexpr ColumnLayout kSchedules[] = {
    {"seq",     kSeq,                               kSame,       Serial},
    {"userid",  kCodeRef,                           kSame,       Ref, "local_user"},
    {"sdate",   kDate,                              kSame,       Date, "2020..2025"},
    {"stime",   "TIME NULL",                        kSame,       Time, {}, 20},
    {"title",   "VARCHAR(100) NOT NULL DEFAULT ''", kSame,       Title},
    {"content", kText,                              kSame,       Memo, {}, 40},
    {"done_yn", kNo,                                kSame,       YesNo, "60"},
    {"regdate", kDateTime,                          "DATE NULL", DateTime},
};
// 21
constexpr ColumnLayout kSpecialDc[] = {
    {"seq",        kSeq,          kSame, Serial},
    {"custcode",   kCodeRef,      kSame, Ref, "customer"},
    {"pccode",     kIntRef,       kSame, Ref, "pclass"},
    {"dcrate",     kRate,         kSame, Rate, "1..20"},
    {"lastmodify", kZeroDateTime, kSame, DateTime, {}, 0, 30},
};
// 22
constexpr ColumnLayout kSpecialPrice[] = {
    {"seq",        kSeq,          kSame,                                              Serial},
    {"custcode",   kCodeRef,      kSame,                                              Ref, "customer"},
    {"prodcode",   kCodeRef,      kSame,                                              Ref, "product_m"},
    {"price",      kPrice,        kSame,                                              Price, "100..900000"},
    {"sdate",      kZeroDate,     "DATE NULL DEFAULT NULL",                           Date, "2018..2024", 0, 25},
    {"edate",      kDate,         kSame,                                              Date, "2024..2026", 30},
    {"lastmodify", kZeroDateTime, "DATETIME NOT NULL DEFAULT '1900-01-01 00:00:00'",  DateTime, {}, 0, 25},
    {"memo",       kNone,         kMemo,                                              Memo, {}, 80},
};
// 23
constexpr ColumnLayout kDelcar[] = {
    {"seq",    kSeq,                              kSame, Serial},
    {"carno",  "VARCHAR(20) NOT NULL DEFAULT ''", kSame, CarNo},
    {"driver", "VARCHAR(20) NULL",                kSame, PersonName},
    {"tel",    "VARCHAR(20) NULL",                kSame, Mobile},
    {"memo",   kMemo,                             kSame, Memo, {}, 60},
    {"use_yn", kYes,                              kSame, YesNo, "90"},
};
// 24
constexpr ColumnLayout kPclsdc[] = {
    {"seq",      kSeq,    kSame, Serial},
    {"pccode",   kIntRef, kSame, Ref, "pclass"},
    {"saletype", kIntRef, kSame, Ref, "saletype"},
    {"dcrate",   kRate,   kSame, Rate, "1..10"},
    {"memo",     kNone,   kMemo, Memo, {}, 50},
};
// 25
constexpr ColumnLayout kQltydc[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"qcode",    kIntRef,  kSame, Ref, "qlty"},
    {"custcode", kCodeRef, kSame, Ref, "customer"},
    {"dcrate",   kRate,    kSame, Rate, "1..10"},
};
// 26
constexpr ColumnLayout kConstrt[] = {
    {"seq",      kSeq,                              kSame,                              Serial},
    {"custcode", kCodeRef,                          kSame,                              Ref, "customer"},
    {"cname",    "VARCHAR(50) NOT NULL DEFAULT ''", "VARCHAR(100) NOT NULL DEFAULT ''", Word, "site"},
    {"addr",     "VARCHAR(100) NULL",               kSame,                              Address},
    {"manager",  "VARCHAR(20) NULL",                kSame,                              PersonName, {}, 20},
    {"tel",      "VARCHAR(20) NULL",                kSame,                              Mobile, {}, 20},
    {"sdate",    kDate,                             kSame,                              Date},
    {"edate",    kDate,                             kSame,                              Date, {}, 40},
    {"memo",     kText,                             kSame,                              Memo, {}, 60},
};
// 27
constexpr ColumnLayout kWeeklyplan[] = {
    {"seq",       kSeq,      kSame, Serial},
    {"userid",    kCodeRef,  kSame, Ref, "local_user"},
    {"weekstart", kDate,     kSame, Date},
    {"plan",      kText,     kSame, Memo},
    {"result",    kText,     kSame, Memo, {}, 40},
    {"regdate",   kDateTime, kSame, DateTime},
};
// 28
constexpr ColumnLayout kWeeklyplanadd[] = {
    {"seq",     kSeq,                               kSame, Serial},
    {"planseq", kIntRef,                            kSame, Ref, "weeklyplan"},
    {"custcode", kCodeRef,                          kSame, Ref, "customer"},
    {"content", "VARCHAR(200) NOT NULL DEFAULT ''", kSame, Memo},
    {"regdate", kDateTime,                          kSame, DateTime},
};
// 29
constexpr ColumnLayout kAccounts[] = {
    {"acccode", kIntKey,                           kSame,                             Serial, "101"},
    {"accname", "VARCHAR(30) NOT NULL DEFAULT ''", "VARCHAR(50) NOT NULL DEFAULT ''", Word, "account"},
    {"kind",    kTiny,                             kSame,                             Int, "1..2"},
    {"memo",    kMemo,                             kSame,                             Memo, {}, 70},
};
// 30
constexpr ColumnLayout kCashbook[] = {
    {"seq",      kSeq,               kSame,               Serial},
    {"cdate",    kDate,              kSame,               Date},
    {"acccode",  kIntRef,            kSame,               Ref, "accounts"},
    {"custcode", "VARCHAR(20) NULL", kSame,               Ref, "customer", 50},
    {"inamt",    kMoney,             kSame,               Money, "0..3000000"},
    {"outamt",   kMoney,             kSame,               Money, "0..3000000"},
    {"memo",     kMemo,              "VARCHAR(200) NULL", Memo, {}, 30},
    {"userid",   kCodeRef,           kSame,               Ref, "local_user"},
    {"regdate",  kDateTime,          kSame,               DateTime},
    {"evidence", kNone,              kTiny,               Int, "0..3"},
};
// 31
constexpr ColumnLayout kEstimateM[] = {
    {"estno",     kIntKey,                            kSame, Serial, "1001"},
    {"estidate",  kZeroDate,                          kSame, Date, {}, 0, 25},
    {"custcode",  kCodeRef,                           kSame, Ref, "customer"},
    {"userid",    kCodeRef,                           kSame, Ref, "local_user"},
    {"title",     "VARCHAR(100) NOT NULL DEFAULT ''", kSame, Title},
    {"totamt",    kMoney,                             kSame, Money, "10000..90000000"},
    {"vat",       kMoney,                             kSame, Money, "1000..9000000"},
    {"validdate", kZeroDate,                          kSame, Date, {}, 0, 25},
    {"memo",      kText,                              kSame, Memo, {}, 50},
};
// 32
constexpr ColumnLayout kEstimateD[] = {
    {"seq",      kSeq,     kSame,                                  Serial},
    {"estno",    kIntRef,  kSame,                                  Ref, "estimate_m"},
    {"prodcode", kCodeRef, kSame,                                  Ref, "product_m"},
    {"qty",      kQty,     "DECIMAL(15,3) NOT NULL DEFAULT 0.000", Qty, "1..200"},
    {"price",    kPrice,   kSame,                                  Price, "100..500000"},
    {"amt",      kAmount,  kSame,                                  Price, "100..50000000"},
    {"memo",     kMemo,    kSame,                                  Memo, {}, 70},
};
// 33
constexpr ColumnLayout kInvnBase[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"prodcode", kCodeRef, kSame, Ref, "product_m"},
    {"stcode",   kIntRef,  kSame, Ref, "storehouse"},
    {"basedate", kDate,    kSame, Date},
    {"qty",      kQty,     kSame, Qty, "0..1000"},
    {"price",    kPrice,   kSame, Price, "100..500000"},
};
// 34
constexpr ColumnLayout kInvnEdit[] = {
    {"seq",      kSeq,                kSame, Serial},
    {"edate",    kDate,               kSame, Date},
    {"prodcode", kCodeRef,            kSame, Ref, "product_m"},
    {"stcode",   kIntRef,             kSame, Ref, "storehouse"},
    {"qty",      kQty,                kSame, Qty, "-50..50"},
    {"reason",   "VARCHAR(100) NULL", kSame, Word, "reason", 20},
    {"userid",   kCodeRef,            kSame, Ref, "local_user"},
    {"regdate",  kDateTime,           kSame, DateTime},
};
// 35
constexpr ColumnLayout kInvnReal[] = {
    {"seq",        kSeq,          kSame,                       Serial},
    {"prodcode",   kCodeRef,      kSame,                       Ref, "product_m"},
    {"stcode",     kIntRef,       kSame,                       Ref, "storehouse"},
    {"qty",        kQty,          "BIGINT NOT NULL DEFAULT 0", Qty, "0..3000"},
    {"lastmodify", kZeroDateTime, kSame,                       DateTime, {}, 0, 20},
};
// 36
constexpr ColumnLayout kOrdbookM[] = {
    {"ordno",    kIntKey,   kSame,                              Serial, "100001"},
    {"orddate",  kDate,     kSame,                              Date},
    {"custcode", kCodeRef,  kSame,                              Ref, "customer"},
    {"userid",   kCodeRef,  kSame,                              Ref, "local_user"},
    {"dlvdate",  kZeroDate, kSame,                              Date, "2016..2025", 0, 30},
    {"totamt",   kMoney,    kSame,                              Money, "10000..50000000"},
    {"state",    kTiny,     kSame,                              Int, "0..4"},
    {"memo",     kText,     kSame,                              Memo, {}, 50},
    {"regdate",  kDateTime, kSame,                              DateTime},
    {"dlvaddr",  kNone,     "VARCHAR(200) NOT NULL DEFAULT ''", Address},
};
// 37: the order lines. `seq` is the key the database assigns, `parentseq` the key of the
// line this one hangs under (its own key for a line without a parent). The newer edition
// keeps the older line's key in `unit` during a conversion, hence the wider text.
constexpr ColumnLayout kOrdbookD[] = {
    {"seq",       kSeq,                                  kSame,                              LineSeq},
    {"ordno",     "INT NOT NULL DEFAULT 0",              kSame,                              LineOrder},
    {"prodcode",  kCodeRef,                              kSame,                              Ref, "product_m"},
    {"prodname",  "VARCHAR(60) NOT NULL DEFAULT ''",     "VARCHAR(120) NOT NULL DEFAULT ''", ProductName},
    {"unit",      "VARCHAR(10) NOT NULL DEFAULT ''",     "VARCHAR(20) NOT NULL DEFAULT ''",  Word, "unit"},
    {"qty",       "DECIMAL(12,2) NOT NULL DEFAULT 0.00", kSame,                              Qty, "1..100"},
    {"price",     kPrice,                                kSame,                              Price, "100..500000"},
    {"amt",       kAmount,                               kSame,                              Price, "100..50000000"},
    {"parentseq", "INT NOT NULL DEFAULT 0",              kSame,                              LineParent},
    {"memo",      kMemo,                                 kSame,                              Memo, {}, 70},
    {"opt_code",  kNone,                                 "VARCHAR(20) NULL DEFAULT NULL",    Code, "OPT", 80},
};
// 38
constexpr ColumnLayout kPayment[] = {
    {"seq",        kSeq,      kSame, Serial},
    {"paydate",    kDate,     kSame, Date},
    {"custcode",   kCodeRef,  kSame, Ref, "customer"},
    {"paytype",    kTiny,     kSame, Int, "1..4"},
    {"amount",     kMoney,    kSame, Money, "10000..30000000"},
    {"expiredate", kZeroDate, kSame, Date, "2016..2025", 0, 40},
    {"bankno",     kIntRef,   kSame, Ref, "bankbook"},
    {"memo",       kMemo,     kSame, Memo, {}, 50},
    {"userid",     kCodeRef,  kSame, Ref, "local_user"},
    {"regdate",    kDateTime, kSame, DateTime},
};
// 39
constexpr ColumnLayout kReceive[] = {
    {"seq",        kSeq,      kSame,                              Serial},
    {"recvdate",   kDate,     kSame,                              Date},
    {"custcode",   kCodeRef,  kSame,                              Ref, "customer"},
    {"recvtype",   kTiny,     kSame,                              Int, "1..4"},
    {"amount",     kMoney,    kSame,                              Money, "10000..30000000"},
    {"expiredate", kZeroDate, "DATE NULL DEFAULT NULL",           Date, "2016..2025", 0, 40},
    {"bankno",     kIntRef,   kSame,                              Ref, "bankbook"},
    {"memo",       kMemo,     kSame,                              Memo, {}, 50},
    {"userid",     kCodeRef,  kSame,                              Ref, "local_user"},
    {"regdate",    kDateTime, kSame,                              DateTime},
    {"cardfee",    kNone,     "DECIMAL(12,0) NOT NULL DEFAULT 0", Money, "0..50000"},
};
// 40
constexpr ColumnLayout kBuy[] = {
    {"seq",      kSeq,      kSame,                                  Serial},
    {"buydate",  kDate,     kSame,                                  Date},
    {"custcode", kCodeRef,  kSame,                                  Ref, "customer"},
    {"prodcode", kCodeRef,  kSame,                                  Ref, "product_m"},
    {"stcode",   kIntRef,   kSame,                                  Ref, "storehouse"},
    {"qty",      kQty,      "DECIMAL(15,3) NOT NULL DEFAULT 0.000", Qty, "1..500"},
    {"price",    kPrice,    kSame,                                  Price, "100..500000"},
    {"amt",      kAmount,   kSame,                                  Price, "100..90000000"},
    {"vat",      kAmount,   kSame,                                  Price, "10..9000000"},
    {"memo",     kMemo,     kSame,                                  Memo, {}, 60},
    {"userid",   kCodeRef,  kSame,                                  Ref, "local_user"},
    {"regdate",  kDateTime, kSame,                                  DateTime},
};
// 41: the biggest table of a customer.
constexpr ColumnLayout kSale[] = {
    {"seq",      kSeq,      kSame,                              Serial},
    {"saledate", kDate,     kSame,                              Date},
    {"custcode", kCodeRef,  kSame,                              Ref, "customer"},
    {"prodcode", kCodeRef,  kSame,                              Ref, "product_m"},
    {"stcode",   kIntRef,   kSame,                              Ref, "storehouse"},
    {"qty",      kQty,      kSame,                              Qty, "1..300"},
    {"price",    kPrice,    kSame,                              Price, "100..500000"},
    {"dcamt",    kPrice,    kNone,                              Price, "0..50000"},
    {"amt",      kAmount,   kSame,                              Price, "100..90000000"},
    {"vat",      kAmount,   kSame,                              Price, "10..9000000"},
    {"stype",    kIntRef,   kSame,                              Ref, "saletype"},
    {"memo",     kMemo,     kSame,                              Memo, {}, 70},
    {"userid",   kCodeRef,  kSame,                              Ref, "local_user"},
    {"regdate",  kDateTime, kSame,                              DateTime},
    {"pointamt", kNone,     "DECIMAL(12,0) NOT NULL DEFAULT 0", Money, "0..5000"},
};
// 42
constexpr ColumnLayout kTaxlistM[] = {
    {"taxno",     kIntKey,                           kSame,                             Serial, "5001"},
    {"issuedate", kZeroDate,                         kSame,                             Date, {}, 0, 25},
    {"custcode",  kCodeRef,                          kSame,                             Ref, "customer"},
    {"bizno",     "VARCHAR(12) NOT NULL DEFAULT ''", kSame,                             BizNo},
    {"supplyamt", kMoney,                            kSame,                             Money, "10000..90000000"},
    {"vatamt",    kMoney,                            kSame,                             Money, "1000..9000000"},
    {"kind",      kTiny,                             kSame,                             Int, "1..2"},
    {"etax_yn",   kNo,                               kSame,                             YesNo, "40"},
    {"memo",      kMemo,                             kSame,                             Memo, {}, 60},
    {"nts_no",    kNone,                             "VARCHAR(24) NOT NULL DEFAULT ''", Code, "NTS"},
};
// 43
constexpr ColumnLayout kTaxlistD[] = {
    {"seq",       kSeq,                              kSame, Serial},
    {"taxno",     kIntRef,                           kSame, Ref, "taxlist_m"},
    {"itemdate",  "VARCHAR(5) NOT NULL DEFAULT ''",  kSame, MonthDay},
    {"itemname",  "VARCHAR(60) NOT NULL DEFAULT ''", kSame, ProductName},
    {"packsize",      "VARCHAR(40) NULL",                kSame, Word, "packsize", 40},
    {"qty",       kQty,                              kSame, Qty, "1..100"},
    {"price",     kPrice,                            kSame, Price, "100..500000"},
    {"supplyamt", kMoney,                            kSame, Money, "1000..50000000"},
    {"vatamt",    kMoney,                            kSame, Money, "100..5000000"},
};
// 44
constexpr ColumnLayout kInvnMove[] = {
    {"seq",      kSeq,      kSame, Serial},
    {"movedate", kZeroDate, kSame, Date, {}, 0, 30},
    {"prodcode", kCodeRef,  kSame, Ref, "product_m"},
    {"fromst",   kIntRef,   kSame, Ref, "storehouse"},
    {"tost",     kIntRef,   kSame, Ref, "storehouse"},
    {"qty",      kQty,      kSame, Qty, "1..200"},
    {"memo",     kMemo,     kSame, Memo, {}, 60},
    {"userid",   kCodeRef,  kSame, Ref, "local_user"},
};
// 45
constexpr ColumnLayout kAslist[] = {
    {"seq",      kSeq,                               kSame,              Serial},
    {"recvdate", kDate,                              "VARCHAR(10) NULL", Date, {}, 10},
    {"custcode", kCodeRef,                           kSame,              Ref, "customer"},
    {"prodcode", kCodeRef,                           kSame,              Ref, "product_m"},
    {"symptom",  "VARCHAR(200) NOT NULL DEFAULT ''", kSame,              Word, "symptom"},
    {"result",   "VARCHAR(200) NULL",                kSame,              Word, "as_result", 40},
    {"donedate", kZeroDateTime,                      kSame,              DateTime, {}, 0, 40},
    {"cost",     "DECIMAL(12,0) NOT NULL DEFAULT 0", kSame,              Money, "0..300000"},
    {"state",    kTiny,                              kSame,              Int, "0..3"},
    {"userid",   kCodeRef,                           kSame,              Ref, "local_user"},
};
// 46
constexpr ColumnLayout kProdset[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"setcode",  kCodeRef, kSame, Ref, "product_m"},
    {"prodcode", kCodeRef, kSame, Ref, "product_m"},
    {"qty",      kQty,     kSame, Qty, "1..10"},
};
// 47
constexpr ColumnLayout kSalehold[] = {
    {"seq",      kSeq,      kSame, Serial},
    {"holddate", kDateTime, kSame, DateTime},
    {"custcode", kCodeRef,  kSame, Ref, "customer"},
    {"prodcode", kCodeRef,  kSame, Ref, "product_m"},
    {"qty",      kQty,      kSame, Qty, "1..50"},
    {"price",    kPrice,    kSame, Price, "100..500000"},
    {"memo",     kMemo,     kSame, Memo, {}, 50},
};
// 48
constexpr ColumnLayout kMakelistM[] = {
    {"makeno",   kIntKey,  kSame, Serial},
    {"makedate", kDate,    kSame, Date},
    {"prodcode", kCodeRef, kSame, Ref, "product_m"},
    {"qty",      kQty,     kSame, Qty, "1..1000"},
    {"stcode",   kIntRef,  kSame, Ref, "storehouse"},
    {"memo",     kMemo,    kSame, Memo, {}, 60},
    {"userid",   kCodeRef, kSame, Ref, "local_user"},
};
// 49
constexpr ColumnLayout kMakelistD[] = {
    {"seq",      kSeq,                                   kSame, Serial},
    {"makeno",   kIntRef,                                kSame, Ref, "makelist_m"},
    {"prodcode", kCodeRef,                               kSame, Ref, "product_m"},
    {"qty",      "DECIMAL(10,3) NOT NULL DEFAULT 0.000", kSame, Qty, "1..100"},
    {"stcode",   kIntRef,                                kSame, Ref, "storehouse"},
};
// 50
constexpr ColumnLayout kOcustlink[] = {
    {"seq",      kSeq,                              kSame, Serial},
    {"custcode", kCodeRef,                          kSame, Ref, "customer"},
    {"mallname", "VARCHAR(30) NOT NULL DEFAULT ''", kSame, Word, "mall"},
    {"mallid",   "VARCHAR(50) NOT NULL DEFAULT ''", kSame, Code, "mall"},
    {"linkdate", kDateTime,                         kSame, DateTime, {}, 30},
};
// 51
constexpr ColumnLayout kProdmatch[] = {
    {"seq",          kSeq,                              kSame,               Serial},
    {"prodcode",     kCodeRef,                          kSame,               Ref, "product_m"},
    {"mallname",     "VARCHAR(30) NOT NULL DEFAULT ''", kSame,               Word, "mall"},
    {"mallprodcode", "VARCHAR(40) NOT NULL DEFAULT ''", kSame,               Code, "M"},
    {"mallprodname", "VARCHAR(100) NULL",               "VARCHAR(200) NULL", ProductName, {}, 20},
};
// 52
constexpr ColumnLayout kPosmoney[] = {
    {"seq",     kSeq,                         kSame, Serial},
    {"posdate", kDate,                        kSame, Date},
    {"posno",   "TINYINT NOT NULL DEFAULT 1", kSame, Int, "1..3"},
    {"cashamt", kMoney,                       kSame, Money, "0..5000000"},
    {"cardamt", kMoney,                       kSame, Money, "0..20000000"},
    {"userid",  kCodeRef,                     kSame, Ref, "local_user"},
    {"memo",    kMemo,                        kSame, Memo, {}, 70},
};
// 53
constexpr ColumnLayout kVanindata[] = {
    {"seq",         kSeq,                               kSame,       Serial},
    {"transdate",   kDateTime,                          kSame,       DateTime},
    {"cardno",      "VARCHAR(20) NOT NULL DEFAULT ''",  kSame,       CardNo},
    {"approvalno",  "VARCHAR(20) NOT NULL DEFAULT ''",  kSame,       Code, "A"},
    {"amount",      "DECIMAL(12,0) NOT NULL DEFAULT 0", kSame,       Money, "1000..3000000"},
    {"installment", kTiny,                              kSame,       Int, "0..12"},
    {"cardname",    "VARCHAR(20) NULL",                 kSame,       Word, "card", 10},
    {"rawdata",     "VARCHAR(500) NULL",                "TEXT NULL", Hash, {}, 50},
};
// 54
constexpr ColumnLayout kVanoutdata[] = {
    {"seq",        kSeq,                               kSame, Serial},
    {"transdate",  kDateTime,                          kSame, DateTime},
    {"saleseq",    kIntRef,                            kSame, Ref, "sale"},
    {"cardno",     "VARCHAR(20) NOT NULL DEFAULT ''",  kSame, CardNo},
    {"approvalno", "VARCHAR(20) NOT NULL DEFAULT ''",  kSame, Code, "A"},
    {"amount",     "DECIMAL(12,0) NOT NULL DEFAULT 0", kSame, Money, "1000..3000000"},
    {"cancel_yn",  kNo,                                kSame, YesNo, "10"},
};
// 55
constexpr ColumnLayout kInvnChk[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"chkdate",  kDate,    kSame, Date},
    {"prodcode", kCodeRef, kSame, Ref, "product_m"},
    {"stcode",   kIntRef,  kSame, Ref, "storehouse"},
    {"bookqty",  kQty,     kSame, Qty, "0..500"},
    {"realqty",  kQty,     kSame, Qty, "0..500"},
    {"userid",   kCodeRef, kSame, Ref, "local_user"},
    {"memo",     kMemo,    kSame, Memo, {}, 70},
};
// 56: the older edition keys a customer's product names by the pair of codes; the newer
// one gives each row a key of its own and keeps the pair unique.
constexpr ColumnLayout kCustprodmatch[] = {
    {"custcode",     kCodeKey,            kSame, RefCycle, "customer"},
    {"prodcode",     kCodeKey,            kSame, RefSpread, "product_m/customer"},
    {"custprodname", "VARCHAR(100) NULL", kSame, ProductName, {}, 30},
    {"price",        kPrice,              kSame, Price, "100..900000"},
    {"lastmodify",   kZeroDateTime,       kSame, DateTime, {}, 0, 30},
    {"seq",          kNone,               kSeq,  Serial},
};
// 57
constexpr ColumnLayout kCustusermatch[] = {
    {"seq",      kSeq,      kSame, Serial},
    {"custcode", kCodeRef,  kSame, Ref, "customer"},
    {"userid",   kCodeRef,  kSame, Ref, "local_user"},
    {"regdate",  kDateTime, kSame, DateTime},
};
// 58
constexpr ColumnLayout kCustpclassmatch[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"custcode", kCodeRef, kSame, Ref, "customer"},
    {"pccode",   kIntRef,  kSame, Ref, "pclass"},
    {"dcrate",   kRate,    kSame, Rate, "0..10"},
};
// 59
constexpr ColumnLayout kInvnMovePlan[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"plandate", kDate,    kSame, Date},
    {"prodcode", kCodeRef, kSame, Ref, "product_m"},
    {"fromst",   kIntRef,  kSame, Ref, "storehouse"},
    {"tost",     kIntRef,  kSame, Ref, "storehouse"},
    {"qty",      kQty,     kSame, Qty, "1..200"},
    {"done_yn",  kNo,      kSame, YesNo, "50"},
    {"memo",     kMemo,    kSame, Memo, {}, 60},
};
// 60
constexpr ColumnLayout kWorkshift[] = {
    {"seq",          kSeq,                         kSame, Serial},
    {"userid",       kCodeRef,                     kSame, Ref, "local_user"},
    {"posno",        "TINYINT NOT NULL DEFAULT 1", kSame, Int, "1..3"},
    {"starttime",    kDateTime,                    kSame, DateTime},
    {"endtime",      kDateTime,                    kSame, DateTime, {}, 20},
    {"cashamt",      kMoney,                       kSame, Money, "0..3000000"},
    {"data_created", kZeroDateTime,                kSame, DateTime, {}, 0, 30},
};
// 61
constexpr ColumnLayout kRecvCashbook[] = {
    {"seq",     kSeq,      kSame, Serial},
    {"recvseq", kIntRef,   kSame, Ref, "receive"},
    {"cashseq", kIntRef,   kSame, Ref, "cashbook"},
    {"amount",  kMoney,    kSame, Money, "10000..30000000"},
    {"regdate", kDateTime, kSame, DateTime},
};
// 62
constexpr ColumnLayout kHoliday1M[] = {
    {"hcode", kIntKey,                           kSame, Serial},
    {"hname", "VARCHAR(30) NOT NULL DEFAULT ''", kSame, Word, "holiday"},
    {"hyear", "SMALLINT NOT NULL DEFAULT 0",     kSame, Int, "2015..2025"},
};
// 63
constexpr ColumnLayout kHoliday1D[] = {
    {"seq",   kSeq,    kSame, Serial},
    {"hcode", kIntRef, kSame, Ref, "holiday1_m"},
    {"hdate", kDate,   kSame, Date},
    {"memo",  kMemo,   kSame, Memo, {}, 50},
};
// 64
constexpr ColumnLayout kOfficeStore[] = {
    {"seq",     kSeq,    kSame, Serial},
    {"offcode", kIntRef, kSame, Ref, "office"},
    {"stcode",  kIntRef, kSame, Ref, "storehouse"},
    {"main_yn", kNo,     kSame, YesNo, "30"},
};
// 65
constexpr ColumnLayout kEventPrice[] = {
    {"seq",       kSeq,                              kSame, Serial},
    {"eventname", "VARCHAR(50) NOT NULL DEFAULT ''", kSame, Word, "event"},
    {"prodcode",  kCodeRef,                          kSame, Ref, "product_m"},
    {"price",     kPrice,                            kSame, Price, "100..500000"},
    {"sdate",     kDate,                             kSame, Date},
    {"edate",     kDate,                             kSame, Date},
    {"use_yn",    kYes,                              kSame, YesNo, "80"},
};
// 66
constexpr ColumnLayout kSerial[] = {
    {"seq",      kSeq,                              kSame, Serial},
    {"prodcode", kCodeRef,                          kSame, Ref, "product_m"},
    {"serialno", "VARCHAR(40) NOT NULL DEFAULT ''", kSame, SerialNo},
    {"buyseq",   "INT NULL",                        kSame, Ref, "buy", 30},
    {"saleseq",  "INT NULL",                        kSame, Ref, "sale", 50},
    {"state",    kTiny,                             kSame, Int, "0..2"},
    {"regdate",  kDateTime,                         kSame, DateTime},
};
// 67
constexpr ColumnLayout kBuyLog[] = {
    {"seq",         kSeq,                              kSame,                             Serial},
    {"logdate",     kDateTime,                         kSame,                             DateTime},
    {"buyseq",      kIntRef,                           kSame,                             Ref, "buy"},
    {"action",      "VARCHAR(10) NOT NULL DEFAULT ''", kSame,                             Word, "action"},
    {"userid",      kCodeRef,                          kSame,                             Ref, "local_user"},
    {"before_data", kText,                             "MEDIUMTEXT NULL",                 LogText, {}, 30},
    {"ipaddr",      kNone,                             "VARCHAR(45) NOT NULL DEFAULT ''", Ip},
};
// 68
constexpr ColumnLayout kReceiveLog[] = {
    {"seq",         kSeq,                              kSame, Serial},
    {"logdate",     kDateTime,                         kSame, DateTime},
    {"recvseq",     kIntRef,                           kSame, Ref, "receive"},
    {"action",      "VARCHAR(10) NOT NULL DEFAULT ''", kSame, Word, "action"},
    {"userid",      kCodeRef,                          kSame, Ref, "local_user"},
    {"before_data", kText,                             kSame, LogText, {}, 30},
};
// 69
constexpr ColumnLayout kPaymentLog[] = {
    {"seq",         kSeq,                              kSame, Serial},
    {"logdate",     kDateTime,                         kSame, DateTime},
    {"payseq",      kIntRef,                           kSame, Ref, "payment"},
    {"action",      "VARCHAR(10) NOT NULL DEFAULT ''", kSame, Word, "action"},
    {"userid",      kCodeRef,                          kSame, Ref, "local_user"},
    {"before_data", kText,                             kSame, LogText, {}, 30},
};
// 70
constexpr ColumnLayout kConsignmentM[] = {
    {"consno",   kIntKey,  kSame, Serial},
    {"consdate", kDate,    kSame, Date},
    {"custcode", kCodeRef, kSame, Ref, "customer"},
    {"totqty",   kQty,     kSame, Qty, "1..2000"},
    {"memo",     kMemo,    kSame, Memo, {}, 50},
    {"userid",   kCodeRef, kSame, Ref, "local_user"},
};
// 71
constexpr ColumnLayout kConsignmentD[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"consno",   kIntRef,  kSame, Ref, "consignment_m"},
    {"prodcode", kCodeRef, kSame, Ref, "product_m"},
    {"qty",      kQty,     kSame, Qty, "1..200"},
    {"price",    kPrice,   kSame, Price, "100..500000"},
};
// 72
constexpr ColumnLayout kConsignSale[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"saledate", kDate,    kSame, Date},
    {"custcode", kCodeRef, kSame, Ref, "customer"},
    {"prodcode", kCodeRef, kSame, Ref, "product_m"},
    {"qty",      kQty,     kSame, Qty, "1..100"},
    {"price",    kPrice,   kSame, Price, "100..500000"},
    {"amt",      kAmount,  kSame, Price, "100..50000000"},
};
// 73
constexpr ColumnLayout kConsignChk[] = {
    {"seq",      kSeq,     kSame, Serial},
    {"chkdate",  kDate,    kSame, Date},
    {"custcode", kCodeRef, kSame, Ref, "customer"},
    {"prodcode", kCodeRef, kSame, Ref, "product_m"},
    {"bookqty",  kQty,     kSame, Qty, "0..300"},
    {"realqty",  kQty,     kSame, Qty, "0..300"},
};
// 74
constexpr ColumnLayout kBankLog[] = {
    {"seq",     kSeq,                              kSame, Serial},
    {"bankno",  kIntRef,                           kSame, Ref, "bankbook"},
    {"trdate",  kDateTime,                         kSame, DateTime},
    {"inamt",   kMoney,                            kSame, Money, "0..20000000"},
    {"outamt",  kMoney,                            kSame, Money, "0..20000000"},
    {"balance", kMoney,                            kSame, Money, "0..300000000"},
    {"summary", "VARCHAR(50) NOT NULL DEFAULT ''", kSame, Word, "summary"},
    {"memo",    kMemo,                             kSame, Memo, {}, 70},
};
// 75
constexpr ColumnLayout kSecurityIp[] = {
    {"seq",    kSeq,                              kSame,                             Serial},
    {"ipaddr", "VARCHAR(15) NOT NULL DEFAULT ''", "VARCHAR(45) NOT NULL DEFAULT ''", Ip},
    {"memo",   kMemo,                             kSame,                             Memo, {}, 30},
    {"use_yn", kYes,                              kSame,                             YesNo, "90"},
};
// 76
constexpr ColumnLayout kSecurityMac[] = {
    {"seq",     kSeq,                              kSame, Serial},
    {"macaddr", "VARCHAR(17) NOT NULL DEFAULT ''", kSame, Mac},
    {"memo",    kMemo,                             kSame, Memo, {}, 30},
    {"use_yn",  kYes,                              kSame, YesNo, "90"},
};
// 77
constexpr ColumnLayout kSecurityTime[] = {
    {"seq",       kSeq,        kSame, Serial},
    {"userid",    kCodeRef,    kSame, Ref, "local_user"},
    {"weekday",   kTiny,       kSame, Int, "0..6"},
    {"starttime", "TIME NULL", kSame, Time},
    {"endtime",   "TIME NULL", kSame, Time},
};
// 78
constexpr ColumnLayout kSignImg[] = {
    {"seq",      kSeq,              kSame,                               Serial},
    {"saleseq",  kIntRef,           kSame,                               Ref, "sale"},
    {"custcode", kCodeRef,          kSame,                               Ref, "customer"},
    {"sign_img", "MEDIUMBLOB NULL", kSame,                               Blob, "200..2000", 5},
    {"regdate",  kDateTime,         kSame,                               DateTime},
    {"img_type", kNone,             "VARCHAR(10) NOT NULL DEFAULT 'png'", Word, "imgtype"},
};
// 79
constexpr ColumnLayout kPdaRegist[] = {
    {"seq",      kSeq,                              kSame, Serial},
    {"pdaid",    "VARCHAR(40) NOT NULL DEFAULT ''", kSame, SerialNo},
    {"username", "VARCHAR(20) NULL",                kSame, PersonName},
    {"regtime",  "TIMESTAMP NULL DEFAULT NULL",     kSame, DateTime, {}, 20},
    {"use_yn",   kYes,                              kSame, YesNo, "90"},
};
// 80
constexpr ColumnLayout kPdaRegistHistory[] = {
    {"seq",     kSeq,                              kSame, Serial},
    {"pdaid",   "VARCHAR(40) NOT NULL DEFAULT ''", kSame, SerialNo},
    {"action",  "VARCHAR(10) NOT NULL DEFAULT ''", kSame, Word, "action"},
    {"logtime", kDateTime,                         kSame, DateTime},
};

constexpr auto F = Rows::Fixed;
constexpr auto S = Rows::Scaled;

constexpr TableLayout kTables[] = {
    // name                 engine    charset    rows  kind columns             key                   indexes
    {"local_user",          "MyISAM", "utf8mb3",    8, F, kLocalUser,          "userid"},
    {"local_ugroup",        "MyISAM", "utf8mb3",    4, F, kLocalUgroup,        "grpno"},
    {"rel_usergrp",         "MyISAM", "utf8mb3",   10, F, kRelUsergrp,         "seq",                "userid"},
    {"office",              "InnoDB", "euckr",      3, F, kOffice,             "offcode"},
    {"storehouse",          "InnoDB", "euckr",      5, F, kStorehouse,         "stcode"},
    {"custgroup",           "MyISAM", "utf8mb3",    6, F, kCustgroup,          "cgcode", {}, {}, {}, "cgname,cgcode,dcrate,memo"},
    {"customer",            "InnoDB", "utf8mb3",   60, S, kCustomer,           "custcode",           "custname;cgcode"},
    {"qlty",                "MyISAM", "utf8mb3",    5, F, kQlty,               "qcode"},
    {"pclass",              "MyISAM", "utf8mb3",   12, F, kPclass,             "pccode"},
    {"product_m",           "InnoDB", "utf8mb3",   80, S, kProductM,           "prodcode",           "prodname;barcode", {}, {},
     "prodcode,barcode,prodname,packsize,unit,pccode,qcode,inprice,outprice,vat_yn,taxfree,stockqty,safe_stock,img,memo,regdate,lastmodify"},
    {"product_d",           "InnoDB", "utf8mb3",   50, S, kProductD,           "seq",                "prodcode"},
    {"bomlist",             "InnoDB", "utf8mb3",   20, S, kBomlist,            "seq",                "prodcode"},
    {"bankbook",            "InnoDB", "utf8mb3",    4, F, kBankbook,           "bankno"},
    {"billnote",            "InnoDB", "utf8mb3",   25, S, kBillnote,           "seq",                "custcode"},
    {"crcard",              "InnoDB", "utf8mb3",    3, F, kCrcard,             "seq"},
    {"cust_base",           "InnoDB", "utf8mb3",   30, S, kCustBase,           "seq",                "custcode"},
    {"multy_price",         "InnoDB", "utf8mb3",   50, S, kMultyPrice,         "seq",                "prodcode"},
    {"options",             "MyISAM", "utf8mb3",   20, F, kOptions,            "optkey"},
    {"saletype",            "MyISAM", "utf8mb3",    4, F, kSaletype,           "stype"},
    {"schedules",           "InnoDB", "utf8mb3",   20, S, kSchedules,          "seq",                "userid,sdate"},
    {"special_dc",          "InnoDB", "utf8mb3",   15, S, kSpecialDc,          "seq",                "custcode"},
    {"special_price",       "InnoDB", "utf8mb3",   30, S, kSpecialPrice,       "seq",                "custcode,prodcode"},
    {"delcar",              "MyISAM", "utf8mb3",    3, F, kDelcar,             "seq"},
    {"pclsdc",              "InnoDB", "utf8mb3",    0, F, kPclsdc,             "seq"},
    {"qltydc",              "InnoDB", "utf8mb3",    0, F, kQltydc,             "seq"},
    {"constrt",             "InnoDB", "utf8mb3",    8, S, kConstrt,            "seq",                "custcode"},
    {"weeklyplan",          "InnoDB", "utf8mb3",   10, S, kWeeklyplan,         "seq",                "userid"},
    {"weeklyplanadd",       "InnoDB", "utf8mb3",    0, F, kWeeklyplanadd,      "seq",                "planseq"},
    {"accounts",            "MyISAM", "utf8mb3",   15, F, kAccounts,           "acccode"},
    {"cashbook",            "InnoDB", "utf8mb3",   40, S, kCashbook,           "seq",                "cdate"},
    {"estimate_m",          "InnoDB", "utf8mb3",   20, S, kEstimateM,          "estno",              "custcode"},
    {"estimate_d",          "InnoDB", "utf8mb3",   40, S, kEstimateD,          "seq",                "estno"},
    {"invn_base",           "InnoDB", "utf8mb3",   40, S, kInvnBase,           "seq",                "prodcode"},
    {"invn_edit",           "InnoDB", "utf8mb3",   20, S, kInvnEdit,           "seq",                "prodcode"},
    {"invn_real",           "InnoDB", "utf8mb3",   40, S, kInvnReal,           "seq",                "prodcode"},
    {"ordbook_m",           "InnoDB", "utf8mb3",   40, S, kOrdbookM,           "ordno",              "custcode;orddate"},
    {"ordbook_d",           "InnoDB", "utf8mb3",  120, S, kOrdbookD,           "seq",                "ordno"},
    {"payment",             "InnoDB", "utf8mb3",   30, S, kPayment,            "seq",                "custcode;paydate"},
    {"receive",             "InnoDB", "utf8mb3",   40, S, kReceive,            "seq",                "custcode;recvdate"},
    {"buy",                 "InnoDB", "utf8mb3",   80, S, kBuy,                "seq",                "buydate;custcode"},
    {"sale",                "InnoDB", "utf8mb3",  400, S, kSale,               "seq",                "saledate;custcode"},
    {"taxlist_m",           "InnoDB", "utf8mb3",   20, S, kTaxlistM,           "taxno",              "custcode"},
    {"taxlist_d",           "InnoDB", "utf8mb3",   40, S, kTaxlistD,           "seq",                "taxno"},
    {"invn_move",           "InnoDB", "utf8mb3",   15, S, kInvnMove,           "seq",                "prodcode"},
    {"aslist",              "InnoDB", "utf8mb3",   10, S, kAslist,             "seq",                "custcode"},
    {"prodset",             "InnoDB", "utf8mb3",   10, S, kProdset,            "seq",                "setcode"},
    {"salehold",            "InnoDB", "utf8mb3",    5, S, kSalehold,           "seq"},
    {"makelist_m",          "InnoDB", "utf8mb3",    8, S, kMakelistM,          "makeno"},
    {"makelist_d",          "InnoDB", "utf8mb3",   20, S, kMakelistD,          "seq",                "makeno"},
    {"ocustlink",           "InnoDB", "utf8mb3",    5, S, kOcustlink,          "seq",                "custcode"},
    {"prodmatch",           "InnoDB", "utf8mb3",   15, S, kProdmatch,          "seq",                "prodcode"},
    {"posmoney",            "InnoDB", "utf8mb3",   15, S, kPosmoney,           "seq",                "posdate"},
    {"vanindata",           "InnoDB", "utf8mb3",   20, S, kVanindata,          "seq",                "transdate"},
    {"vanoutdata",          "InnoDB", "utf8mb3",   20, S, kVanoutdata,         "seq",                "saleseq"},
    {"invn_chk",            "InnoDB", "utf8mb3",   20, S, kInvnChk,            "seq",                "prodcode"},
    {"custprodmatch",       "InnoDB", "utf8mb3",   30, S, kCustprodmatch,      "custcode,prodcode",  {}, "seq", "custcode,prodcode",
     "seq,custcode,prodcode,custprodname,price,lastmodify"},
    {"custusermatch",       "InnoDB", "utf8mb3",   15, S, kCustusermatch,      "seq",                "custcode"},
    {"custpclassmatch",     "InnoDB", "utf8mb3",   15, S, kCustpclassmatch,    "seq",                "custcode"},
    {"invn_move_plan",      "InnoDB", "utf8mb3",    8, S, kInvnMovePlan,       "seq"},
    {"workshift",           "InnoDB", "utf8mb4",   15, S, kWorkshift,          "seq",                "userid"},
    {"recv_cashbook",       "InnoDB", "utf8mb3",   15, S, kRecvCashbook,       "seq",                "recvseq"},
    {"holiday1_m",          "MyISAM", "euckr",      5, F, kHoliday1M,          "hcode"},
    {"holiday1_d",          "MyISAM", "euckr",     15, F, kHoliday1D,          "seq",                "hcode"},
    {"office_store",        "InnoDB", "utf8mb3",    5, F, kOfficeStore,        "seq"},
    {"event_price",         "InnoDB", "utf8mb4",   15, S, kEventPrice,         "seq",                "prodcode"},
    {"serial",              "InnoDB", "utf8mb3",   30, S, kSerial,             "seq",                "serialno"},
    {"buy_log",             "MyISAM", "utf8mb3",   30, S, kBuyLog,             "seq",                "buyseq"},
    {"receive_log",         "MyISAM", "utf8mb3",   20, S, kReceiveLog,         "seq",                "recvseq"},
    {"payment_log",         "MyISAM", "utf8mb3",   20, S, kPaymentLog,         "seq",                "payseq"},
    {"consignment_m",       "InnoDB", "utf8mb4",    8, S, kConsignmentM,       "consno"},
    {"consignment_d",       "InnoDB", "utf8mb4",   20, S, kConsignmentD,       "seq",                "consno"},
    {"consign_sale",        "InnoDB", "utf8mb4",   15, S, kConsignSale,        "seq"},
    {"consign_chk",         "InnoDB", "utf8mb4",    8, S, kConsignChk,         "seq"},
    {"bank_log",            "InnoDB", "utf8mb3",   40, S, kBankLog,            "seq",                "bankno,trdate"},
    {"security_ip",         "InnoDB", "utf8mb4",    3, F, kSecurityIp,         "seq"},
    {"security_mac",        "InnoDB", "utf8mb4",    3, F, kSecurityMac,        "seq"},
    {"security_time",       "InnoDB", "utf8mb4",    0, F, kSecurityTime,       "seq"},
    {"sign_img",            "InnoDB", "utf8mb4",   10, S, kSignImg,            "seq",                "saleseq"},
    {"pda_regist",          "InnoDB", "utf8mb4",    3, F, kPdaRegist,          "seq"},
    {"pda_regist_history",  "InnoDB", "utf8mb4",    0, F, kPdaRegistHistory,   "seq"},
};
// clang-format on
}  // namespace

std::span<const TableLayout> Tables() {
    return kTables;
}

const TableLayout& FindTable(std::string_view name) {
    for (const TableLayout& t : kTables)
        if (t.name == name) return t;
    throw std::out_of_range("not a catalogue table: " + std::string(name));
}

}  // namespace testdata::layout
