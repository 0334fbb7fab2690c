#include <gtest/gtest.h>

#include "ConversionFixture.h"
#include "common/VbError.h"
#include "conversion/run/OrderDetailLinks.h"

using namespace testsupport;

namespace {
// ordbook_d as the copy leaves it: new keys in seq, old keys in unit, old parents in parentseq.
void CreateCopiedLines(const ConversionFixture& f, const std::string& rows, const std::string& ordnoType = "INT",
                       const std::string& parentType = "INT") {
    f.TargetSql("CREATE TABLE ordbook_d (seq INT AUTO_INCREMENT PRIMARY KEY, ordno " + ordnoType +
                ", unit VARCHAR(20), parentseq " + parentType +
                ", item VARCHAR(20)) ENGINE=InnoDB AUTO_INCREMENT=1000;"
                "INSERT INTO ordbook_d (ordno, unit, parentseq, item) VALUES " +
                rows);
}

std::string Links(const ConversionFixture& f) {
    std::string out;
    for (const auto& row : AdminQuery("SELECT item, parentseq FROM ordbook_d ORDER BY seq", f.targetDb))
        out += *row[0] + "=" + row[1].value_or("NULL") + " ";
    return out;
}
}  // namespace

TEST(RemapParentLinks, LinksPointAtTheParentsNewKeys) {
    ConversionFixture f;
    // Order 7: A (old 57, no parent), B under A, C under B; order 8: D (old 57 too) and E under D.
    CreateCopiedLines(f, "(7,'57',57,'A'),(7,'60',57,'B'),(7,'61',60,'C'),(8,'57',57,'D'),(8,'62',57,'E')");
    RemapParentLinks(f.Connect(true));
    EXPECT_EQ(Links(f), "A=1000 B=1000 C=1001 D=1003 E=1003 ");
    EXPECT_EQ(f.TargetScalar("SELECT GROUP_CONCAT(unit ORDER BY seq) FROM ordbook_d"), "57,60,61,57,62");
}

TEST(RemapParentLinks, FirstRowWinsForADuplicateOldKey) {
    ConversionFixture f;
    CreateCopiedLines(f, "(7,'5',5,'A'),(7,'5',5,'A2'),(7,'9',5,'B')");
    RemapParentLinks(f.Connect(true));
    EXPECT_EQ(Links(f), "A=1000 A2=1001 B=1000 ");
}

TEST(RemapParentLinks, OrphanWritesNothingAndRaisesNoCurrentRecord) {
    ConversionFixture f;
    // C's parent 70 belongs to another order.
    CreateCopiedLines(f, "(7,'57',57,'A'),(7,'60',57,'B'),(7,'61',70,'C'),(8,'70',70,'D')");
    const std::string before = Links(f);
    try {
        RemapParentLinks(f.Connect(true));
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3021);
        EXPECT_EQ(e.description(),
                  "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
                  "current record.");
    }
    EXPECT_EQ(Links(f), before);
    // After the data is put right, one sweep links everything from the old keys.
    f.TargetSql("UPDATE ordbook_d SET parentseq = 60 WHERE item = 'C'");
    RemapParentLinks(f.Connect(true));
    EXPECT_EQ(Links(f), "A=1000 B=1000 C=1001 D=1003 ");
}

TEST(RemapParentLinks, NullLinkWritesNothingAndRaisesInvalidUseOfNull) {
    ConversionFixture f;
    CreateCopiedLines(f, "(7,'57',57,'A'),(7,NULL,57,'B')");
    const std::string before = Links(f);
    try {
        RemapParentLinks(f.Connect(true));
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 94);
        EXPECT_EQ(e.description(), "Invalid use of Null");
    }
    EXPECT_EQ(Links(f), before);
}

TEST(RemapParentLinks, TextOrderNumbersAndQuotesCannotChangeTheLookup) {
    ConversionFixture f;
    CreateCopiedLines(f, "('O''1','5','5','A'),('O''1','6','5','B'),('O''1','7','5'' OR ''1''=''1','C')", "VARCHAR(20)",
                      "VARCHAR(20)");
    try {
        RemapParentLinks(f.Connect(true));
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3021) << e.description();  // C's parent text names no line
    }
    f.TargetSql("UPDATE ordbook_d SET parentseq = '6' WHERE item = 'C'");
    RemapParentLinks(f.Connect(true));
    EXPECT_EQ(Links(f), "A=1000 B=1000 C=1001 ");
}

TEST(RemapParentLinks, LeadingNumberReadsAsTheClassicValDoes) {
    EXPECT_EQ(LeadingNumber("57"), 57);
    EXPECT_EQ(LeadingNumber(" 1 2 3"), 123);
    EXPECT_EQ(LeadingNumber("12abc"), 12);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("-4.5e1x"), -45);
    EXPECT_EQ(LeadingNumber("5'"), 5);
}

TEST(RemapParentLinks, ManyLinesGetTheLinksOneLookupPerLineGives) {
    ConversionFixture f;
    // 48,000 lines in 8,000 orders, more links than one statement carries: chains of parents,
    // and in every seventh order a second line with the head's old key (a lookup takes the
    // first row with it).
    std::string rows;
    for (int order = 1; order <= 8000; ++order)
        for (int k = 0; k < 6; ++k) {
            const int old = order * 10 + k;
            const std::string unit = k == 5 && order % 7 == 0 ? std::to_string(order * 10) : std::to_string(old);
            const int parent = k == 0 ? old : order * 10 + (k - 1) / 2;
            rows += std::string(rows.empty() ? "" : ",") + "(" + std::to_string(order) + ",'" + unit + "'," +
                    std::to_string(parent) + ",'i" + std::to_string(old) + "')";
        }
    CreateCopiedLines(f, rows);
    // The links a lookup per line gives, worked out by the server from the copy's state.
    const auto expected = AdminQuery(
        "SELECT c.item, IF(c.unit = c.parentseq, c.seq, p.seq) FROM ordbook_d c LEFT JOIN (SELECT ordno, unit, "
        "MIN(seq) AS seq FROM ordbook_d GROUP BY ordno, unit) p ON p.ordno = c.ordno AND p.unit = c.parentseq "
        "ORDER BY c.seq",
        f.targetDb);
    RemapParentLinks(f.Connect(true));
    EXPECT_EQ(AdminQuery("SELECT item, parentseq FROM ordbook_d ORDER BY seq", f.targetDb), expected);
    // The duplicate keys: the child of the head links to the head, not to the later line.
    EXPECT_EQ(f.TargetScalar("SELECT parentseq FROM ordbook_d WHERE item = 'i71'"),
              f.TargetScalar("SELECT seq FROM ordbook_d WHERE item = 'i70'"));
}
