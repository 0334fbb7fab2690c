#include "ConversionFixture.h"

#include <gtest/gtest.h>

#include "conversion/run/KeptShadows.h"
#include "conversion/run/ShadowTables.h"
#include "conversion/run/ZeroDateRepair.h"

using namespace testsupport;

ConversionFixture::ConversionFixture()
    : sourceId(UniqueName("s")),
      targetId(UniqueName("t")),
      sourceDb("maketarn_" + sourceId),
      targetDb("makevelm_" + targetId) {
    CreateCustomerDatabase(sourceId, sourceDb);
    CreateCustomerDatabase(targetId, targetDb);
    RegisterCustomer(sourceId, sourceDb, kCustomerHostA);
    RegisterCustomer(targetId, targetDb, kCustomerHostB);
    form.Form_Load();
    form.Show();
    // Two tables side by side whatever the machine: the runs the tests see are the same everywhere.
    form.SetTablesInFlight(2);
    form.SetIdText(0, sourceId);
    form.SetIdText(1, targetId);
}

ConversionFixture::~ConversionFixture() {
    AdminSql("DELETE FROM app_admin.app_priv WHERE app_dbname IN (" + SqlQuote(sourceDb) + "," + SqlQuote(targetDb) +
             "); DROP DATABASE IF EXISTS " + SqlIdent(sourceDb) + "; DROP DATABASE IF EXISTS " + SqlIdent(targetDb));
}

void ConversionFixture::CreateZeroDateTables() const {
    SourceSql(
        "CREATE TABLE IF NOT EXISTS billnote (no INT PRIMARY KEY, expiredate DATE, dealdate DATE);"
        "CREATE TABLE IF NOT EXISTS customer (code INT PRIMARY KEY, lastmodify DATETIME, lastemaildate DATETIME);"
        "CREATE TABLE IF NOT EXISTS product_m (code INT PRIMARY KEY, lastmodify DATETIME);"
        "CREATE TABLE IF NOT EXISTS invn_real (no INT PRIMARY KEY, lastmodify DATETIME);"
        "CREATE TABLE IF NOT EXISTS multy_price (no INT PRIMARY KEY, lastmodify DATETIME);"
        "CREATE TABLE IF NOT EXISTS special_dc (no INT PRIMARY KEY, lastmodify DATETIME);"
        "CREATE TABLE IF NOT EXISTS special_price (no INT PRIMARY KEY, lastmodify DATETIME, sdate DATE);"
        "CREATE TABLE IF NOT EXISTS receive (no INT PRIMARY KEY, expiredate DATE);"
        "CREATE TABLE IF NOT EXISTS payment (no INT PRIMARY KEY, expiredate DATE);"
        "CREATE TABLE IF NOT EXISTS estimate_m (no INT PRIMARY KEY, estidate DATE);"
        "CREATE TABLE IF NOT EXISTS custprodmatch (no INT PRIMARY KEY, lastmodify DATETIME);"
        "CREATE TABLE IF NOT EXISTS taxlist_m (no INT PRIMARY KEY, issuedate DATE);"
        "CREATE TABLE IF NOT EXISTS workshift (no INT PRIMARY KEY, data_created DATETIME)");
}

void ConversionFixture::Select(std::initializer_list<const char*> tables) {
    form.SetChkAll(false);
    for (const char* table : tables) {
        bool found = false;
        for (int i = 0; i < form.List1().ListCount(); ++i) {
            if (form.List1().List(i) == table) {
                form.List1().SetSelected(i, true);
                found = true;
            }
        }
        EXPECT_TRUE(found) << table << " is not in the catalogue";
    }
    form.SelectionChanged();
}

void ConversionFixture::Start() {
    boxes.Plan({mb::kYes});
    form.cmdStart_Click();
}

std::vector<std::string> ConversionFixture::LogLines() const {
    std::vector<std::string> lines;
    const std::string& log = form.TxtLog();
    std::size_t start = 0;
    while (start < log.size()) {
        const std::size_t end = log.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(log.substr(start) + "<no line break>");
            break;
        }
        lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

namespace {
constexpr const char* kSummaryStart = "[작업 요약]";
constexpr const char* kRecordLine = "작업 기록: ";
}  // namespace

std::vector<std::string> ConversionFixture::RunLines() const {
    std::vector<std::string> lines;
    for (const std::string& line : LogLines()) {
        if (line.rfind(kSummaryStart, 0) == 0) break;
        if (line.rfind(kRecordLine, 0) != 0) lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> ConversionFixture::SummaryLines() const {
    std::vector<std::string> lines;
    bool inSummary = false;
    for (const std::string& line : LogLines()) {
        inSummary = inSummary || line.rfind(kSummaryStart, 0) == 0;
        if (inSummary && line.rfind(kRecordLine, 0) != 0) lines.push_back(line);
    }
    return lines;
}

std::string ConversionFixture::RecordText() const {
    const std::string& path = form.LastRecordPath();
    EXPECT_EQ(path.rfind(env.StateHome() + "/누리Tarn_To_누리Velm/runs/", 0), 0u) << path;
    EXPECT_NE(path.find("_" + form.IdText(0) + "_" + form.IdText(1)), std::string::npos) << path;
    EXPECT_EQ(LogLines().back(), kRecordLine + path);
    return path.empty() ? std::string() : ReadFile(path);
}

std::vector<std::string> ConversionFixture::OwnTargetState() const {
    std::vector<std::string> state = TargetState();
    std::erase_if(state, [](const std::string& table) {
        return table.starts_with("CREATE TABLE `" + ShadowName("")) ||
               table.starts_with("CREATE TABLE `" + std::string(kKeptMarksTable) + "`");
    });
    return state;
}

std::shared_ptr<ado::Connection> ConversionFixture::Connect(bool target) const {
    const std::string dsn = target ? "test_target" : "test_source";
    if (ReadFile(env.OdbcIniPath()).find("[" + dsn + "]") == std::string::npos)
        env.WriteDataSource(dsn, target ? kCustomerHostB : kCustomerHostA, target ? targetDb : sourceDb,
                            target ? targetId : sourceId);
    auto connection = std::make_shared<ado::Connection>();
    connection->Open("DSN=" + dsn + ";PWD=" + kCustomerPassword);
    return connection;
}

std::vector<std::string> ConversionFixture::TargetState() const {
    std::vector<std::string> state;
    for (const Row& table : AdminQuery("SHOW FULL TABLES WHERE Table_type = 'BASE TABLE'", targetDb)) {
        const std::string name = SqlIdent(*table.at(0));
        const Row created = AdminQuery("SHOW CREATE TABLE " + name, targetDb).at(0);
        const Row checksum = AdminQuery("CHECKSUM TABLE " + name, targetDb).at(0);
        state.push_back(*created.at(1) + "\n" + checksum.at(1).value_or("NULL") + " " +
                        TargetScalar("SELECT COUNT(*) FROM " + name));
    }
    return state;
}
