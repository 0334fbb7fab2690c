#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "testdata/Generator.h"
#include "testdata/OrderLines.h"
#include "testdata/Random.h"
#include "testdata/TableLayouts.h"
#include "testdata/Vocabulary.h"

namespace testdata {

namespace {

using layout::Gen;
namespace voc = vocabulary;

std::optional<Column> ColumnIn(Edition edition, std::string_view table, std::string_view column) {
    if (const Column* c = TableOf(edition, table).Find(column)) return *c;
    return std::nullopt;
}

// "lo..hi" -> {lo, hi}; an empty text gives the fallback.
std::pair<std::int64_t, std::int64_t> Range(std::string_view arg, std::int64_t lo, std::int64_t hi) {
    const auto dots = arg.find("..");
    if (arg.empty() || dots == std::string_view::npos) return {lo, hi};
    std::from_chars(arg.data(), arg.data() + dots, lo);
    std::from_chars(arg.data() + dots + 2, arg.data() + arg.size(), hi);
    return {lo, hi};
}

std::string Digits(std::int64_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, static_cast<long long>(value));
    return buffer;
}

// A fixed-point number (units / 10^decimals) written with `scale` digits after the point.
std::string Fixed(std::int64_t units, int decimals, int scale) {
    const bool negative = units < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    std::uint64_t pow = 1;
    for (int i = 0; i < decimals; ++i) pow *= 10;
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / pow);
    if (scale > 0) {
        std::string fraction = decimals > 0 ? Digits(static_cast<std::int64_t>(magnitude % pow), decimals) : "";
        fraction.resize(static_cast<std::size_t>(scale), '0');
        text += "." + fraction;
    }
    return text;
}

// A binary fraction written as short as it goes: 12.5, 0.25, 3.
std::string Short(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

// Cuts a UTF-8 text to at most `characters` characters (0: no limit).
std::string Cut(std::string text, int characters) {
    if (characters <= 0) return text;
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (++count > characters) {
            text.resize(i);
            break;
        }
    }
    return text;
}

int DaysIn(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

Cell Text(std::string text) {
    return {Cell::Kind::Text, std::move(text)};
}
Cell Number(std::string text) {
    return {Cell::Kind::Number, std::move(text)};
}

// One column of the table being generated, with what both editions say about it.
struct Slot {
    const layout::ColumnLayout* layout = nullptr;
    Column column;      // in the edition being generated
    int maxChars = 0;   // the narrower text length of both editions (0: no limit)
    int scale = 0;      // the fewest digits after the point of both editions
    bool wide = false;  // utf8mb4 in every edition that has it
    std::uint64_t nameHash = 0;
};

class RowMaker {
public:
    RowMaker(Edition edition, const layout::TableLayout& table, double factor, std::uint64_t seed)
        : edition_(edition), table_(table), factor_(factor), seed_(seed) {
        for (const Column& column : ColumnsOf(edition, table.name)) {
            Slot slot;
            for (const layout::ColumnLayout& c : table.columns)
                if (c.name == column.name) slot.layout = &c;
            slot.column = column;
            slot.nameHash = HashText(column.name);
            slot.scale = 99;
            slot.wide = true;
            for (Edition e : {Edition::Tarn, Edition::Velm}) {
                const auto c = ColumnIn(e, table.name, column.name);
                if (!c) continue;
                if (c->Length() > 0) slot.maxChars = slot.maxChars ? std::min(slot.maxChars, c->Length()) : c->Length();
                if (c->BaseType() == "DECIMAL") slot.scale = std::min(slot.scale, c->Scale());
                if (c->BaseType().find("INT") != std::string::npos || c->IsText()) slot.scale = 0;
                slot.wide = slot.wide && (!c->IsText() || c->charset == "utf8mb4");
            }
            if (slot.scale == 99) slot.scale = 3;
            slots_.push_back(std::move(slot));
            if (slots_.back().layout->gen == Gen::LineSeq) PlanLines();
        }
        tableHash_ = Mix(seed ^ HashText(table.name));
    }

    Row Make(std::int64_t i) {
        Row row;
        row.reserve(slots_.size());
        const std::uint64_t rowHash = Mix(tableHash_ + static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ull);
        for (const Slot& slot : slots_) {
            Rng rng(Mix(rowHash ^ slot.nameHash));
            Cell cell = Value(slot, rng, i);
            // A number in a text column is its text.
            if (cell.kind == Cell::Kind::Number && slot.column.IsText()) cell.kind = Cell::Kind::Text;
            row.push_back(std::move(cell));
        }
        return row;
    }

private:
    // A column left without a value: NULL where allowed, else its default; nullopt when it
    // must be given a value all the same.
    static std::optional<Cell> Absent(const Column& c) {
        if (c.nullable) return Cell{Cell::Kind::Null, {}};
        if (c.hasDefault) return Cell{Cell::Kind::Default, {}};
        return std::nullopt;
    }

    Cell Value(const Slot& slot, Rng& rng, std::int64_t i) {
        const layout::ColumnLayout& s = *slot.layout;
        const Column& c = slot.column;
        if (rng.Percent(s.nullPct))
            if (auto cell = Absent(c)) return *cell;
        if (rng.Percent(s.oddPct)) {
            const std::string base = c.BaseType();
            if (s.gen == Gen::TextDate && c.IsText()) return Text("");
            if (edition_ == Edition::Tarn && base == "DATE") return Text("0000-00-00");
            if (edition_ == Edition::Tarn && base == "DATETIME") return Text("0000-00-00 00:00:00");
            if (auto cell = Absent(c)) return *cell;
        }
        return Made(slot, rng, i);
    }

    Cell Made(const Slot& slot, Rng& rng, std::int64_t i) {
        const layout::ColumnLayout& s = *slot.layout;
        const Column& c = slot.column;
        switch (s.gen) {
            case Gen::Serial: {
                std::int64_t start = 1;
                if (!s.arg.empty()) std::from_chars(s.arg.data(), s.arg.data() + s.arg.size(), start);
                return Number(std::to_string(start + i));
            }
            case Gen::Code:
                return Text(Cut(std::string(s.arg) + Digits(i + 1, 6), slot.maxChars));
            case Gen::Ref:
                return Reference(c, s.arg, rng.Between(0, RowCount(s.arg, factor_) - 1));
            case Gen::RefCycle:
                return Reference(c, s.arg, i % std::max<std::int64_t>(RowCount(s.arg, factor_), 1));
            case Gen::RefSpread: {
                const auto slash = s.arg.find('/');
                const std::string_view target = s.arg.substr(0, slash), other = s.arg.substr(slash + 1);
                const std::int64_t stride = std::max<std::int64_t>(RowCount(other, factor_), 1);
                return Reference(c, target, (i / stride) % std::max<std::int64_t>(RowCount(target, factor_), 1));
            }
            case Gen::LineSeq:
                return Number(std::to_string(lines_.at(static_cast<std::size_t>(i)).seq));
            case Gen::LineOrder:
                return Number(std::to_string(lines_.at(static_cast<std::size_t>(i)).ordno));
            case Gen::LineParent:
                return Number(std::to_string(lines_.at(static_cast<std::size_t>(i)).parentseq));
            case Gen::Word:
                return Text(Cut(std::string(rng.Pick(voc::Words(s.arg))), slot.maxChars));
            case Gen::PersonName:
                return Text(Cut(std::string(rng.Pick(voc::Surnames())) + std::string(rng.Pick(voc::GivenNames())),
                                slot.maxChars));
            case Gen::CompanyName: {
                std::string name =
                    std::string(rng.Pick(voc::CompanyStems())) + std::string(rng.Pick(voc::CompanyKinds()));
                const auto form = rng.Between(0, 9);
                if (form < 3) name = "(주)" + name;
                if (form == 3) name = "주식회사 " + name;
                if (form == 4) name += " " + std::string(rng.Pick(voc::Words("office")));
                return Text(Cut(name, slot.maxChars));
            }
            case Gen::ProductName: {
                std::string name =
                    std::string(rng.Pick(voc::ProductQualifiers())) + " " + std::string(rng.Pick(voc::ProductItems()));
                if (rng.Percent(50)) name += " " + std::string(rng.Pick(voc::Words("packsize")));
                return Text(Cut(name, slot.maxChars));
            }
            case Gen::Address: {
                std::string address = std::string(rng.Pick(voc::Regions())) + " " +
                                      std::string(rng.Pick(voc::Districts())) + " " +
                                      std::string(rng.Pick(voc::Roads())) + " " + std::to_string(rng.Between(1, 300));
                if (rng.Percent(40)) address += "번길 " + std::to_string(rng.Between(1, 60));
                return Text(Cut(address, slot.maxChars));
            }
            case Gen::Phone: {
                static constexpr std::string_view kAreas[] = {"02", "031", "032", "051", "053", "042", "062", "064"};
                return Text(std::string(rng.Pick(kAreas)) + "-" + std::to_string(rng.Between(200, 9999)) + "-" +
                            Digits(rng.Between(0, 9999), 4));
            }
            case Gen::Mobile:
                return Text("010-" + Digits(rng.Between(1000, 9999), 4) + "-" + Digits(rng.Between(0, 9999), 4));
            case Gen::Email:
                return Text(Cut(std::string(rng.Pick(voc::Romanized())) + std::to_string(rng.Between(1, 999)) + "@" +
                                    std::string(rng.Pick(voc::MailDomains())),
                                slot.maxChars));
            case Gen::BizNo:
                return Text(Digits(rng.Between(101, 899), 3) + "-" + Digits(rng.Between(1, 99), 2) + "-" +
                            Digits(rng.Between(0, 99999), 5));
            case Gen::Zip: {
                // Postcodes of Seoul begin with 0: a number column of the older edition lost it.
                const std::int64_t zip = rng.Between(1000, 63999);
                return c.IsText() ? Text(Digits(zip, 5)) : Number(std::to_string(zip));
            }
            case Gen::Memo: {
                std::string memo(rng.Pick(voc::MemoPhrases()));
                if (rng.Percent(40)) memo += ", " + std::string(rng.Pick(voc::MemoPhrases()));
                if (slot.wide && rng.Percent(20)) memo += " " + std::string(rng.Pick(voc::WideMemoPhrases()));
                return Text(Cut(memo, slot.maxChars));
            }
            case Gen::Title: {
                std::string title(rng.Pick(voc::Titles()));
                if (rng.Percent(30)) title = std::string(rng.Pick(voc::CompanyStems())) + " " + title;
                return Text(Cut(title, slot.maxChars));
            }
            case Gen::LogText: {
                const std::int64_t qty = rng.Between(1, 100);
                return Text(Cut("거래처=C" + Digits(rng.Between(1, 999), 6) + ", 수량 " + std::to_string(qty) + " → " +
                                    std::to_string(qty + rng.Between(-5, 5)) + ", 단가 " +
                                    std::to_string(rng.Between(10, 5000) * 10) + "원",
                                slot.maxChars));
            }
            case Gen::Barcode:
                return Text("880" + Digits(rng.Between(0, 9999999999LL), 10));
            case Gen::CardNo:
                return Text(Digits(rng.Between(3000, 9999), 4) + "-" + Digits(rng.Between(0, 9999), 4) + "-****-" +
                            Digits(rng.Between(0, 9999), 4));
            case Gen::AccountNo:
                return Text(Digits(rng.Between(100, 999), 3) + "-" + Digits(rng.Between(0, 999999), 6) + "-" +
                            Digits(rng.Between(0, 99), 2) + "-" + Digits(rng.Between(0, 999), 3));
            case Gen::CarNo:
                return Text(Digits(rng.Between(10, 99), 2) + std::string(rng.Pick(voc::CarSyllables())) +
                            Digits(rng.Between(1000, 9999), 4));
            case Gen::Ip:
                return Text("192.168." + std::to_string(rng.Between(0, 20)) + "." +
                            std::to_string(rng.Between(2, 254)));
            case Gen::Mac: {
                std::string mac = "00:1A";
                for (int k = 0; k < 4; ++k) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, ":%02X", static_cast<unsigned>(rng.Between(0, 255)));
                    mac += buffer;
                }
                return Text(mac);
            }
            case Gen::SerialNo:
                return Text("SN" + std::to_string(rng.Between(2015, 2024)) + "-" + Digits(i + 1, 7));
            case Gen::Hash: {
                static constexpr char kHex[] = "0123456789abcdef";
                std::string hash;
                for (int k = 0; k < 64; ++k) hash += kHex[rng.Next() % 16];
                return Text(Cut(hash, slot.maxChars));
            }
            case Gen::YesNo: {
                std::int64_t yes = 80;
                if (!s.arg.empty()) std::from_chars(s.arg.data(), s.arg.data() + s.arg.size(), yes);
                return Text(rng.Percent(static_cast<int>(yes)) ? "Y" : "N");
            }
            case Gen::Int: {
                const auto [lo, hi] = Range(s.arg, 0, 100);
                return Number(std::to_string(rng.Between(lo, hi)));
            }
            case Gen::Money: {
                const auto [lo, hi] = Range(s.arg, 0, 1000000);
                return Number(Fixed(rng.Between(lo / 10, hi / 10) * 10, 0, c.Scale()));
            }
            case Gen::Price: {
                const auto [lo, hi] = Range(s.arg, 0, 100000);
                std::int64_t cents = rng.Between(lo / 10, hi / 10) * 1000;
                if (slot.scale >= 2 && rng.Percent(30)) cents += rng.Between(1, 99);
                return Number(Fixed(cents, 2, c.Scale()));
            }
            case Gen::Qty: {
                const auto [lo, hi] = Range(s.arg, 0, 100);
                std::int64_t hundredths = rng.Between(lo, hi) * 100;
                if (slot.scale >= 2 && rng.Percent(25)) hundredths += rng.Percent(50) ? 50 : 25;
                return Number(Fixed(hundredths, 2, c.Scale()));
            }
            case Gen::Rate: {
                const auto [lo, hi] = Range(s.arg, 0, 10);
                return Number(Fixed(rng.Between(lo * 2, hi * 2) * 5, 1, c.Scale()));
            }
            case Gen::Quarter: {
                const auto [lo, hi] = Range(s.arg, 0, 10);
                return Number(Short(static_cast<double>(rng.Between(lo * 4, hi * 4)) / 4));
            }
            case Gen::Weight: {
                const auto [lo, hi] = Range(s.arg, 0, 10);
                return Number(Short(static_cast<double>(rng.Between(lo * 8, hi * 8)) / 8));
            }
            case Gen::Date:
            case Gen::DateTime:
            case Gen::TextDate:
                return Text(DateText(slot, rng));
            case Gen::Time:
                return Text(Digits(rng.Between(7, 21), 2) + ":" + Digits(rng.Between(0, 11) * 5, 2) + ":00");
            case Gen::MonthDay: {
                const int month = static_cast<int>(rng.Between(1, 12));
                return Text(Digits(month, 2) + "-" + Digits(rng.Between(1, DaysIn(2023, month)), 2));
            }
            case Gen::Blob: {
                const auto [lo, hi] = Range(s.arg, 100, 1000);
                std::string bytes = "\x89PNG\r\n\x1a\n";
                const auto size = static_cast<std::size_t>(rng.Between(lo, hi));
                while (bytes.size() < size) bytes += static_cast<char>(rng.Next() & 0xFF);
                return {Cell::Kind::Binary, std::move(bytes)};
            }
        }
        throw std::logic_error("unknown value kind");
    }

    // A date (and time) written the way the column's type holds it.
    std::string DateText(const Slot& slot, Rng& rng) {
        const auto [from, to] = Range(slot.layout->arg, 2015, 2024);
        const int year = static_cast<int>(rng.Between(from, to));
        const int month = static_cast<int>(rng.Between(1, 12));
        const int day = static_cast<int>(rng.Between(1, DaysIn(year, month)));
        std::string date = Digits(year, 4) + "-" + Digits(month, 2) + "-" + Digits(day, 2);
        std::string time = "00:00:00";
        if (slot.layout->gen == Gen::DateTime)
            time = Digits(rng.Between(8, 20), 2) + ":" + Digits(rng.Between(0, 59), 2) + ":" +
                   Digits(rng.Between(0, 59), 2);
        const std::string base = slot.column.BaseType();
        if (base == "DATETIME" || base == "TIMESTAMP") return date + " " + time;
        if (base == "TIME") return time;
        return date;
    }

    Cell Reference(const Column& c, std::string_view table, std::int64_t row) {
        if (RowCount(table, factor_) == 0) {
            if (auto cell = Absent(c)) return *cell;
            return Number("0");
        }
        const layout::TableLayout& target = layout::FindTable(table);
        const std::string_view keyName = target.tarnKey.substr(0, target.tarnKey.find(','));
        for (const layout::ColumnLayout& k : target.columns) {
            if (k.name != keyName) continue;
            if (k.gen == Gen::Code) return Text(std::string(k.arg) + Digits(row + 1, 6));
            if (k.gen == Gen::Serial) {
                std::int64_t start = 1;
                if (!k.arg.empty()) std::from_chars(k.arg.data(), k.arg.data() + k.arg.size(), start);
                return Number(std::to_string(start + row));
            }
        }
        throw std::logic_error("the key of " + std::string(table) + " cannot be referred to");
    }

    void PlanLines() {
        std::string_view orders;
        for (const layout::ColumnLayout& c : table_.columns)
            if (c.gen == Gen::LineOrder) orders = c.arg.empty() ? "ordbook_m" : c.arg;
        const std::int64_t count = std::max<std::int64_t>(RowCount(orders, factor_), 1);
        Column key;
        key.type = "INT";
        lines_ = PlanOrderLines(
            RowCount(table_.name, factor_),
            [&](std::int64_t k) { return std::stoll(Reference(key, orders, k % count).data); }, seed_);
    }

    Edition edition_;
    const layout::TableLayout& table_;
    double factor_;
    std::uint64_t seed_;
    std::uint64_t tableHash_ = 0;
    std::vector<Slot> slots_;
    std::vector<OrderLine> lines_;
};

}  // namespace

std::int64_t RowCount(std::string_view table, double sizeFactor) {
    if (!(sizeFactor > 0)) throw std::invalid_argument("the size factor must be positive");
    const layout::TableLayout& t = layout::FindTable(table);
    if (t.baseRows == 0 || t.rows == layout::Rows::Fixed) return t.baseRows;
    return std::max<std::int64_t>(1, std::llround(t.baseRows * sizeFactor));
}

std::int64_t TotalRowCount(double sizeFactor) {
    std::int64_t total = 0;
    for (const layout::TableLayout& t : layout::Tables()) total += RowCount(t.name, sizeFactor);
    return total;
}

void ForEachRow(Edition edition, std::string_view table, double sizeFactor, std::uint64_t seed,
                const std::function<void(const Row&)>& sink) {
    const std::int64_t rows = RowCount(table, sizeFactor);
    RowMaker maker(edition, layout::FindTable(table), sizeFactor, seed);
    for (std::int64_t i = 0; i < rows; ++i) sink(maker.Make(i));
}

std::vector<std::pair<std::string, std::string>> ZeroDateColumns() {
    std::vector<std::pair<std::string, std::string>> columns;
    for (const layout::TableLayout& t : layout::Tables())
        for (const layout::ColumnLayout& c : t.columns) {
            if (c.oddPct == 0 || c.tarn.empty()) continue;
            const auto column = ColumnIn(Edition::Tarn, t.name, c.name);
            if (column && (column->BaseType() == "DATE" || column->BaseType() == "DATETIME"))
                columns.emplace_back(std::string(t.name), std::string(c.name));
        }
    return columns;
}

}  // namespace testdata
