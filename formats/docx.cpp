#include "formats/docx.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>
#include <string_view>
#include <variant>

#include "formats/omml.h"
#include "formats/zip.h"

namespace lintavo {

namespace {

constexpr const char* nsW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* nsR = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* nsRel = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* relBase =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// A4 with 20 mm margins, in twentieths of a point.
constexpr int pageWidth = 11906;
constexpr int pageHeight = 16838;
constexpr int margin = 1134;
constexpr int textWidth = pageWidth - 2 * margin;
constexpr long emuPerMm = 36000;

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// QXmlStreamWriter with the names written as they are, prefixes and all: the parts declare
// their namespaces on their root elements.
class Xml {
  public:
    Xml() : xml_(&bytes_) { xml_.writeStartDocument(QStringLiteral("1.0"), true); }
    Xml& start(std::string_view name) {
        xml_.writeStartElement(q(name));
        return *this;
    }
    Xml& attr(std::string_view name, std::string_view value) {
        xml_.writeAttribute(q(name), q(value));
        return *this;
    }
    Xml& attr(std::string_view name, long value) { return attr(name, std::to_string(value)); }
    Xml& text(std::string_view t) {
        xml_.writeCharacters(q(t));
        return *this;
    }
    Xml& end() {
        xml_.writeEndElement();
        return *this;
    }
    // An element with attributes and nothing inside: empty("w:jc", {{"w:val", "center"}}).
    Xml& empty(
        std::string_view name,
        std::initializer_list<std::pair<std::string_view, std::string_view>> attributes = {}) {
        xml_.writeEmptyElement(q(name));
        for (const auto& [n, v] : attributes)
            xml_.writeAttribute(q(n), q(v));
        return *this;
    }
    std::string finish() {
        xml_.writeEndDocument();
        return bytes_.toStdString();
    }

  private:
    QByteArray bytes_;
    QXmlStreamWriter xml_;
};

struct Cell {
    std::string text;
    bool alert = false;
    std::vector<FormulaSpan> formulas{};  // the stretches of the text set as equations
};

// A text that is one formula whole.
std::vector<FormulaSpan> whole(const std::string& text) {
    return {{0, text.size()}};
}

// A cell of the calculation's own tables, a comparison such as "h = 1.2 > hc = 0.8" or a
// slope's "1/3000" in it set as an equation.
Cell withFormulas(std::string text) {
    std::vector<FormulaSpan> formulas = formulasIn(text);
    return {std::move(text), false, std::move(formulas)};
}

struct Image {
    std::string relation;  // rIdImage1
    const DocxPicture* picture;
};

std::string withUnit(const std::string& value, const std::string& unit) {
    if (unit.empty() || value == "—") return value;
    return value + " " + unit;
}

// How wide a text sets, in half-em: a Chinese character is twice a Latin letter or digit.
std::size_t setWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t k = 0; k < text.size();) {
        const auto lead = static_cast<unsigned char>(text[k]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
        // Three-byte sequences from U+2E80 on are the CJK blocks and their punctuation.
        const bool wide =
            length >= 3 && (lead > 0xe2 || (lead == 0xe2 && k + 1 < text.size() &&
                                            static_cast<unsigned char>(text[k + 1]) >= 0xba));
        width += wide ? 2U : 1U;
        k += length;
    }
    return width;
}

// The columns' widths, in percent of the text's, for texts `units` half-em wide set at
// `halfPoints`: each column as wide as its widest text where they all fit, the widest ones
// narrowed alike where they do not, so that their texts wrap and the figures beside them stay
// on one line. A half-em is taken as 0.65 em, a figure's width in the wider serif faces a
// word processor may put in place of Times New Roman.
std::vector<double> columnPercents(const std::vector<std::size_t>& units, int halfPoints) {
    std::vector<double> natural;
    double sum = 0;
    for (const std::size_t u : units) {
        // 20 twips a point; the cell's margins and rules beside the text.
        natural.push_back(static_cast<double>(std::max<std::size_t>(u, 2)) * halfPoints * 0.65 *
                              10.0 +
                          2 * 85 + 20);
        sum += natural.back();
    }
    double cap = sum;
    if (sum > textWidth) {
        // The width all the columns wider than it are narrowed to, so that they fill the text.
        std::vector<double> sorted = natural;
        std::sort(sorted.begin(), sorted.end());
        double below = 0;
        for (std::size_t k = 0; k < sorted.size(); ++k) {
            const double level = (textWidth - below) / static_cast<double>(sorted.size() - k);
            if (level <= sorted[k]) {
                cap = level;
                break;
            }
            below += sorted[k];
        }
        sum = textWidth;
    }
    std::vector<double> percents;
    percents.reserve(natural.size());
    for (const double n : natural)
        percents.push_back(100.0 * std::min(n, cap) / sum);
    return percents;
}

class DocumentWriter {
  public:
    DocumentWriter(const CalculationReport& report, const std::vector<ChannelPictures>& pictures,
                   const std::optional<DocxPicture>& schemes)
        : report_(&report), pictures_(&pictures), schemes_(schemes) {}

    std::vector<Image> images;

    std::string document() {
        start();
        x_.start("w:body");
        cover();
        book();
        sectionProperties();
        x_.end().end();
        return x_.finish();
    }

    // A canal's book: its first page, the profile, then each reach's book on a new page under
    // its chapter's heading.
    std::string canal(const CanalBook& canalBook,
                      const std::vector<std::vector<ChannelPictures>>& pictures) {
        start();
        x_.start("w:body");
        cover();
        paragraph("Title", report_->filed.title);
        paragraph("Subtitle", "计算时间：" + report_->when + "    程序：" + report_->program);
        writeSection(canalBook.profile);
        const std::vector<ChannelPictures> none;
        for (std::size_t k = 0; k < canalBook.chapters.size(); ++k) {
            const CanalChapter& chapter = canalBook.chapters[k];
            x_.start("w:p").start("w:r").empty("w:br", {{"w:type", "page"}}).end().end();
            paragraph("Heading1", chapter.heading);
            report_ = &chapter.report;
            pictures_ = k < pictures.size() ? &pictures[k] : &none;
            book();
        }
        sectionProperties();
        x_.end().end();
        return x_.finish();
    }

  private:
    void start() {
        x_.start("w:document")
            .attr("xmlns:w", nsW)
            .attr("xmlns:r", nsR)
            .attr("xmlns:m", "http://schemas.openxmlformats.org/officeDocument/2006/math")
            .attr("xmlns:wp",
                  "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing")
            .attr("xmlns:a", "http://schemas.openxmlformats.org/drawingml/2006/main")
            .attr("xmlns:pic", "http://schemas.openxmlformats.org/drawingml/2006/picture");
    }

    // One press's book: its heading, the known values, the steps, and the results or why
    // there are none.
    void book() {
        paragraph("Title", report_->calculation + " 计算书");
        paragraph("Subtitle", "计算时间：" + report_->when + "    程序：" + report_->program);
        known();
        steps();
        if (report_->failed) {
            paragraph("Heading1", "三、计算失败");
            paragraphOf("Normal", report_->failure, true);
            paragraph("Note", "失败类型：" + report_->failureKind);
        } else {
            results();
            hydraulics();
            for (const ReportSection& section : report_->sections)
                writeSection(section);
        }
    }

    // The first page: the project, the book's title, the program and date, and the signing
    // table 计算 / 校核 / 审核 with each name, a blank to sign on and the date of signing; the
    // book starts on the next page.
    void cover() {
        const BookInfo& info = report_->filed;
        const auto spaced = [this](int before) {
            x_.start("w:p").start("w:pPr");
            x_.empty("w:spacing", {{"w:before", std::to_string(before)}});
            x_.end().end();
        };
        spaced(2400);
        if (!info.project.empty()) paragraph("Title", info.project);
        spaced(600);
        paragraph("Title", bookTitle(info, report_->calculation));
        spaced(1200);
        paragraph("Subtitle", "程序：" + report_->program);
        paragraph("Subtitle", "日期：" + report_->when);
        spaced(1200);
        std::vector<std::vector<Cell>> rows;
        for (const Signer& s : signers(info))
            rows.push_back({Cell{std::string(s.role)}, Cell{s.name}, Cell{}, Cell{"年　月　日"}});
        table({"职责", "姓名", "签名", "日期"}, rows, {18, 26, 30, 26});
        x_.start("w:p").start("w:r").empty("w:br", {{"w:type", "page"}}).end().end();
    }

    void run(const std::string& text, bool alert = false) {
        x_.start("w:r");
        if (alert || halfPoints_ > 0) {
            x_.start("w:rPr");
            if (alert) x_.empty("w:color", {{"w:val", "B00000"}});
            if (halfPoints_ > 0) {
                const std::string size = std::to_string(halfPoints_);
                x_.empty("w:sz", {{"w:val", size}});
                x_.empty("w:szCs", {{"w:val", size}});
            }
            x_.end();
        }
        x_.start("w:t");
        if (!text.empty() && (text.front() == ' ' || text.back() == ' '))
            x_.attr("xml:space", "preserve");
        x_.text(text).end().end();
    }

    void paragraph(const char* style, const std::string& text, bool alert = false) {
        x_.start("w:p");
        x_.start("w:pPr").empty("w:pStyle", {{"w:val", style}}).end();
        if (!text.empty()) run(text, alert);
        x_.end();
    }

    // A paragraph with formulas in it.
    void paragraphOf(const char* style, const ReportText& text, bool alert = false) {
        x_.start("w:p");
        x_.start("w:pPr").empty("w:pStyle", {{"w:val", style}}).end();
        prose(text.text, text.formulas, alert);
        x_.end();
    }

    // A text's runs, each of its formulas an equation among them. Where an equation would be
    // wider than `room` (twips), it is set as one equation for each of its relations, "hmin
    // = 0.68 m" "≥ 0.6·hd = 0.6 m", between which the line may break: an equation does not
    // wrap in every word processor, and a table's cell would cut it off.
    void prose(const std::string& text, const std::vector<FormulaSpan>& formulas, bool alert,
               int room = textWidth) {
        std::size_t at = 0;
        for (const FormulaSpan& f : formulas) {
            if (f.begin < at || f.end > text.size() || f.begin >= f.end) continue;
            if (f.begin > at) run(text.substr(at, f.begin - at), alert);
            const std::string_view formula =
                std::string_view(text).substr(f.begin, f.end - f.begin);
            const std::vector<std::string_view> parts = lines(formula, room);
            for (std::size_t k = 0; k < parts.size(); ++k) {
                if (k > 0) run(" ", alert);
                equation(parts[k], alert);
            }
            at = f.end;
        }
        if (at < text.size()) run(text.substr(at), alert);
    }

    // How wide a formula sets as an equation, reckoned as columnPercents reckons a text: the
    // equation spaces its operators itself, about as wide as the spaces written in the text.
    int setTwips(std::string_view formula) const {
        const int halfPoints = halfPoints_ > 0 ? halfPoints_ : 21;
        return static_cast<int>(static_cast<double>(setWidth(std::string(formula))) * halfPoints *
                                0.65 * 10.0);
    }

    // The formula as few pieces, each cut before a relation, as each fit `room` where they can.
    std::vector<std::string_view> lines(std::string_view formula, int room) const {
        if (setTwips(formula) <= room) return {formula};
        std::vector<std::string_view> pieces;
        for (const std::string_view part : relations(formula)) {
            if (!pieces.empty()) {
                // The pieces are views into the formula, one after another.
                const std::string_view joined(
                    pieces.back().data(),
                    static_cast<std::size_t>(part.data() + part.size() - pieces.back().data()));
                if (setTwips(joined) <= room) {
                    pieces.back() = joined;
                    continue;
                }
            }
            pieces.push_back(part);
        }
        return pieces;
    }

    // The formula cut before each relation outside brackets: "a = b ≥ c" → "a", "= b", "≥ c".
    static std::vector<std::string_view> relations(std::string_view formula) {
        std::vector<std::string_view> parts;
        std::size_t from = 0;
        int depth = 0;
        for (std::size_t k = 0; k < formula.size(); ++k) {
            if (formula[k] == '(') ++depth;
            if (formula[k] == ')') --depth;
            if (depth != 0 || k == from) continue;
            for (const std::string_view r : {"=", "<", ">", "≤", "≥"}) {
                if (formula.substr(k, r.size()) != r) continue;
                std::size_t end = k;
                while (end > from && formula[end - 1] == ' ')
                    --end;
                if (end > from) parts.push_back(formula.substr(from, end - from));
                from = k;
                break;
            }
        }
        parts.push_back(formula.substr(from));
        return parts;
    }

    // An equation; one that goes on from the one before ("= 3 m²", "≥ 0.6·hd") has its
    // relation as text, which a formula editor does not take for a missing operand.
    void equation(std::string_view formula, bool alert) {
        mathAlert_ = alert;
        x_.start("m:oMath");
        for (const std::string_view r : {"=", "<", ">", "≤", "≥"}) {
            if (formula.substr(0, r.size()) != r) continue;
            math(MathNode{MathNode::Kind::Unit, std::string(r), false, {}, true});
            formula.remove_prefix(r.size());
            break;
        }
        math(parseFormula(formula));
        x_.end();
        mathAlert_ = false;
    }

    void math(const MathNode& n) {
        using Kind = MathNode::Kind;
        const auto part = [this](const char* name, const MathNode& inside) {
            x_.start(name);
            math(inside);
            x_.end();
        };
        switch (n.kind) {
            case Kind::Row:
                for (const MathNode& c : n.children)
                    math(c);
                break;
            case Kind::Run:
            case Kind::Unit:
                x_.start("m:r");
                // A unit, a function's name or a word stands upright; a unit keeps the space
                // that parts it from its number, as normal text does.
                if (n.kind == Kind::Unit) {
                    x_.start("m:rPr").empty("m:nor").end();
                } else if (n.upright) {
                    x_.start("m:rPr").empty("m:sty", {{"m:val", "p"}}).end();
                }
                x_.start("w:rPr").empty("w:rFonts",
                                        {{"w:ascii", "Cambria Math"}, {"w:hAnsi", "Cambria Math"}});
                if (mathAlert_) x_.empty("w:color", {{"w:val", "B00000"}});
                if (halfPoints_ > 0) {
                    const std::string size = std::to_string(halfPoints_);
                    x_.empty("w:sz", {{"w:val", size}});
                    x_.empty("w:szCs", {{"w:val", size}});
                }
                x_.end();
                x_.start("m:t");
                if (n.kind == Kind::Unit && n.text.starts_with("m")) {
                    x_.attr("xml:space", "preserve").text(" " + n.text);
                } else {
                    x_.text(n.text);
                }
                x_.end().end();
                break;
            case Kind::Fraction:
                x_.start("m:f");
                if (n.linear) x_.start("m:fPr").empty("m:type", {{"m:val", "lin"}}).end();
                part("m:num", n.children[0]);
                part("m:den", n.children[1]);
                x_.end();
                break;
            case Kind::Radical:
                x_.start("m:rad");
                x_.start("m:radPr").empty("m:degHide", {{"m:val", "1"}}).end();
                x_.empty("m:deg");
                part("m:e", n.children[0]);
                x_.end();
                break;
            case Kind::Superscript:
                x_.start("m:sSup");
                part("m:e", n.children[0]);
                part("m:sup", n.children[1]);
                x_.end();
                break;
            case Kind::Subscript:
                x_.start("m:sSub");
                part("m:e", n.children[0]);
                part("m:sub", n.children[1]);
                x_.end();
                break;
            case Kind::Brackets:
                x_.start("m:d");
                part("m:e", n.children[0]);
                x_.end();
                break;
        }
    }

    void borders(const char* element) {
        x_.start(element);
        for (const char* side :
             {"w:top", "w:left", "w:bottom", "w:right", "w:insideH", "w:insideV"})
            x_.empty(side,
                     {{"w:val", "single"}, {"w:sz", "4"}, {"w:space", "0"}, {"w:color", "808080"}});
        x_.end();
    }

    void cell(int width, const Cell& c, bool head) {
        x_.start("w:tc");
        x_.start("w:tcPr");
        x_.empty("w:tcW", {{"w:w", std::to_string(width)}, {"w:type", "dxa"}});
        if (head)
            x_.empty("w:shd", {{"w:val", "clear"}, {"w:color", "auto"}, {"w:fill", "EEF2F7"}});
        x_.empty("w:vAlign", {{"w:val", "center"}});
        x_.end();
        x_.start("w:p");
        x_.start("w:pPr").empty("w:pStyle", {{"w:val", head ? "TableHeading" : "TableText"}}).end();
        // The cell's margins.
        prose(c.text, c.formulas, c.alert, width - 2 * 85);
        x_.end();
        x_.end();
    }

    // A ruled table over the text's width, its header row repeated on each page.
    void table(const std::vector<std::string>& header, const std::vector<std::vector<Cell>>& rows,
               const std::vector<double>& percents) {
        std::vector<Cell> cells;
        cells.reserve(header.size());
        for (const std::string& h : header)
            cells.push_back({h});
        table(cells, rows, percents);
    }

    void table(const std::vector<Cell>& header, const std::vector<std::vector<Cell>>& rows,
               const std::vector<double>& percents) {
        std::vector<int> widths;
        widths.reserve(percents.size());
        for (const double p : percents)
            widths.push_back(static_cast<int>(textWidth * p / 100));
        x_.start("w:tbl");
        x_.start("w:tblPr");
        x_.empty("w:tblW", {{"w:w", std::to_string(textWidth)}, {"w:type", "dxa"}});
        x_.empty("w:jc", {{"w:val", "center"}});
        borders("w:tblBorders");
        x_.empty("w:tblLayout", {{"w:type", "fixed"}});
        x_.start("w:tblCellMar");
        x_.empty("w:left", {{"w:w", "85"}, {"w:type", "dxa"}});
        x_.empty("w:right", {{"w:w", "85"}, {"w:type", "dxa"}});
        x_.end();
        x_.empty("w:tblLook", {{"w:val", "04A0"}, {"w:firstRow", "1"}});
        x_.end();
        x_.start("w:tblGrid");
        for (const int w : widths)
            x_.empty("w:gridCol", {{"w:w", std::to_string(w)}});
        x_.end();
        x_.start("w:tr");
        x_.start("w:trPr").empty("w:tblHeader").end();
        for (std::size_t c = 0; c < header.size(); ++c)
            cell(widths[c], header[c], true);
        x_.end();
        for (const std::vector<Cell>& r : rows) {
            x_.start("w:tr");
            x_.start("w:trPr").empty("w:cantSplit").end();
            for (std::size_t c = 0; c < header.size(); ++c)
                cell(widths[c], c < r.size() ? r[c] : Cell{}, false);
            x_.end();
        }
        x_.end();
    }

    void known() {
        paragraph("Heading1", "一、已知条件");
        std::vector<std::vector<Cell>> rows;
        for (const ReportRow& r : report_->known)
            rows.push_back({{r.name}, {r.symbol}, {r.value}, {r.unit}, withFormulas(r.note)});
        table({"名称", "符号", "输入值", "单位", "说明"}, rows, {18, 10, 22, 12, 38});
    }

    void steps() {
        paragraph("Heading1", "二、计算公式与过程");
        if (report_->steps.empty() && report_->bisection.empty()) {
            paragraph("Normal", "没有计算步骤：输入值未能全部读取。");
            return;
        }
        if (!report_->steps.empty()) {
            std::vector<std::vector<Cell>> rows;
            for (const ReportStep& s : report_->steps) {
                // A symbol alone is an equation too: "C²·A²·R".
                Cell formula{s.formula.empty() ? s.symbol : s.symbol + " = " + s.formula};
                formula.formulas = whole(formula.text);
                Cell substituted;
                if (!s.substituted.empty()) {
                    substituted.text = "= " + s.substituted;
                    substituted.formulas = whole(substituted.text);
                }
                Cell result{s.value};
                if (s.value != "无法计算") {
                    result.text = "= " + withUnit(s.value, s.unit);
                    result.formulas = whole(result.text);
                }
                rows.push_back({{s.name}, formula, substituted, result});
            }
            table({"项目", "公式", "代入数值", "结果"}, rows, {16, 27, 35, 22});
        }
        for (const ReportText& line : report_->bisection)
            paragraphOf("Normal", line);
        if (!report_->steps.empty() && !report_->failed)
            paragraph("Note", "注：" + report_->precisionNote);
    }

    void results() {
        paragraph("Heading1", "三、计算结果");
        std::vector<std::vector<Cell>> rows;
        for (const ReportResult& r : report_->results)
            rows.push_back({{r.name}, {withUnit(r.exact, r.unit)}, {r.written}, {r.rule}});
        table({"名称", "计算值（截取前）", "结果（写入值）", "截取规则"}, rows, {14, 26, 18, 42});
    }

    void hydraulics() {
        paragraph("Heading1", "四、水力要素与流态");
        paragraphOf("Note", ReportText("按输入值和截取前的计算值，g = 9.81 m/s²，α = 1。"));
        if (std::none_of(report_->channels.begin(), report_->channels.end(),
                         [](const ReportChannel& c) { return c.exists; }))
            paragraph("Normal", "没有水深和底宽都为正的断面。");
        for (std::size_t k = 0; k < report_->channels.size(); ++k) {
            const ReportChannel& channel = report_->channels[k];
            if (!channel.heading.empty()) paragraphOf("Heading2", ReportText(channel.heading));
            if (!channel.exists) continue;
            std::vector<std::vector<Cell>> rows;
            for (const ReportRow& r : channel.rows)
                rows.push_back({{r.name},
                                {r.symbol},
                                withFormulas(withUnit(r.value, r.unit)),
                                withFormulas(r.note)});
            table({"名称", "符号", "数值", "说明"}, rows, {22, 10, 40, 28});
            if (k >= pictures_->size()) continue;
            const ChannelPictures& p = (*pictures_)[k];
            if (!p.section && !p.rating) continue;
            x_.start("w:p");
            x_.start("w:pPr").empty("w:pStyle", {{"w:val", "Figure"}}).end();
            if (p.section) picture(*p.section, "断面图");
            if (p.section && p.rating) run("  ");
            if (p.rating) picture(*p.rating, "水位流量关系曲线");
            x_.end();
            paragraph("Caption", p.rating ? "左：断面图（按比例）　右：水位流量关系曲线 Q(h)"
                                          : "断面图（按比例）");
        }
    }

    // A section beyond the calculation: its paragraphs and tables in order, a failing check's
    // cell in red, and its drawing after its first table. A column of links (采用此方案) is an
    // action of the book's window with nothing to do on paper, and is left out.
    void writeSection(const ReportSection& section) {
        paragraph("Heading1", section.title);
        bool figureDue = section.figure == ReportFigure::Schemes && schemes_.has_value();
        for (const ReportBlock& block : section.blocks) {
            if (const auto* text = std::get_if<ReportText>(&block)) {
                paragraphOf("Normal", *text);
                continue;
            }
            const auto& t = std::get<ReportTable>(block);
            std::vector<std::size_t> kept;
            for (std::size_t c = 0; c < t.header.size(); ++c) {
                const bool action = !t.rows.empty() &&
                                    std::all_of(t.rows.begin(), t.rows.end(), [c](const auto& row) {
                                        return c < row.size() && !row[c].link.empty();
                                    });
                if (!action) kept.push_back(c);
            }
            std::vector<Cell> header;
            std::vector<std::size_t> widths;
            for (const std::size_t c : kept) {
                header.push_back({t.header[c].text, false, t.header[c].formulas});
                // A heading may wrap onto a second line; a figure should not.
                widths.push_back((setWidth(t.header[c].text) + 1) / 2);
            }
            std::vector<std::vector<Cell>> rows;
            for (const auto& row : t.rows) {
                std::vector<Cell> cells;
                for (std::size_t k = 0; k < kept.size(); ++k) {
                    const ReportCell c = kept[k] < row.size() ? row[kept[k]] : ReportCell{};
                    widths[k] = std::max(widths[k], setWidth(c.text));
                    cells.push_back({c.text, c.alert, c.formulas});
                }
                rows.push_back(std::move(cells));
            }
            // Past eight columns of figures a smaller type keeps each figure on one line.
            if (header.size() > 8) halfPoints_ = 17;
            const std::vector<double> percents =
                columnPercents(widths, halfPoints_ > 0 ? halfPoints_ : 21);
            table(header, rows, percents);
            halfPoints_ = 0;
            if (figureDue) {
                x_.start("w:p");
                x_.start("w:pPr").empty("w:pStyle", {{"w:val", "Figure"}}).end();
                picture(*schemes_, "断面方案");
                x_.end();
                figureDue = false;
            }
        }
    }

    void picture(const DocxPicture& p, const std::string& name) {
        const std::size_t number = images.size() + 1;
        const std::string id = "rIdImage" + std::to_string(number);
        images.push_back({id, &p});
        const std::string cx = std::to_string(std::lround(p.widthMm * emuPerMm));
        const std::string cy = std::to_string(std::lround(p.heightMm * emuPerMm));
        const std::string n = std::to_string(number);
        x_.start("w:r").start("w:drawing").start("wp:inline");
        for (const char* d : {"distT", "distB", "distL", "distR"})
            x_.attr(d, "0");
        x_.empty("wp:extent", {{"cx", cx}, {"cy", cy}});
        x_.empty("wp:effectExtent", {{"l", "0"}, {"t", "0"}, {"r", "0"}, {"b", "0"}});
        x_.empty("wp:docPr", {{"id", n}, {"name", name + " " + n}});
        x_.start("wp:cNvGraphicFramePr")
            .empty("a:graphicFrameLocks", {{"noChangeAspect", "1"}})
            .end();
        x_.start("a:graphic").start("a:graphicData");
        x_.attr("uri", "http://schemas.openxmlformats.org/drawingml/2006/picture");
        x_.start("pic:pic");
        x_.start("pic:nvPicPr");
        x_.empty("pic:cNvPr", {{"id", n}, {"name", "image" + n + ".png"}});
        x_.empty("pic:cNvPicPr");
        x_.end();
        x_.start("pic:blipFill");
        x_.empty("a:blip", {{"r:embed", id}});
        x_.start("a:stretch").empty("a:fillRect").end();
        x_.end();
        x_.start("pic:spPr");
        x_.start("a:xfrm").empty("a:off", {{"x", "0"}, {"y", "0"}});
        x_.empty("a:ext", {{"cx", cx}, {"cy", cy}}).end();
        x_.start("a:prstGeom").attr("prst", "rect").empty("a:avLst").end();
        x_.end();
        x_.end().end().end();  // pic:pic, a:graphicData, a:graphic
        x_.end().end().end();  // wp:inline, w:drawing, w:r
    }

    void sectionProperties() {
        x_.start("w:sectPr");
        // The first page has no running header; every page has its number.
        x_.empty("w:headerReference", {{"w:type", "default"}, {"r:id", "rIdHeader"}});
        x_.empty("w:headerReference", {{"w:type", "first"}, {"r:id", "rIdFirstHeader"}});
        x_.empty("w:footerReference", {{"w:type", "default"}, {"r:id", "rIdFooter"}});
        x_.empty("w:footerReference", {{"w:type", "first"}, {"r:id", "rIdFirstFooter"}});
        x_.empty("w:pgSz",
                 {{"w:w", std::to_string(pageWidth)}, {"w:h", std::to_string(pageHeight)}});
        const std::string m = std::to_string(margin);
        x_.empty("w:pgMar", {{"w:top", m},
                             {"w:right", m},
                             {"w:bottom", m},
                             {"w:left", m},
                             {"w:header", "567"},
                             {"w:footer", "567"},
                             {"w:gutter", "0"}});
        x_.empty("w:cols", {{"w:space", "425"}});
        x_.empty("w:titlePg");
        x_.end();
    }

    const CalculationReport* report_;
    const std::vector<ChannelPictures>* pictures_;
    const std::optional<DocxPicture>& schemes_;
    int halfPoints_ = 0;      // the type size of table text; 0: the style's
    bool mathAlert_ = false;  // the equation being written is a failing check's: red
    Xml x_;
};

// 黑体 for headings, 宋体 for the rest; Latin letters and digits in Times New Roman, as
// Chinese engineering reports set them.
std::string styles() {
    Xml x;
    x.start("w:styles").attr("xmlns:w", nsW);
    const auto fonts = [&x](const char* latin, const char* eastAsia) {
        x.empty(
            "w:rFonts",
            {{"w:ascii", latin}, {"w:eastAsia", eastAsia}, {"w:hAnsi", latin}, {"w:cs", latin}});
    };
    const auto size = [&x](int halfPoints) {
        x.empty("w:sz", {{"w:val", std::to_string(halfPoints)}});
        x.empty("w:szCs", {{"w:val", std::to_string(halfPoints)}});
    };
    x.start("w:docDefaults");
    x.start("w:rPrDefault").start("w:rPr");
    fonts("Times New Roman", "宋体");
    size(21);
    x.empty("w:lang", {{"w:val", "en-US"}, {"w:eastAsia", "zh-CN"}, {"w:bidi", "ar-SA"}});
    x.end().end();
    x.start("w:pPrDefault").start("w:pPr");
    x.empty("w:spacing",
            {{"w:before", "0"}, {"w:after", "0"}, {"w:line", "276"}, {"w:lineRule", "auto"}});
    x.end().end();
    x.end();

    struct Style {
        const char* id;
        const char* name;
        const char* eastAsia;  // null: the default, 宋体
        int halfPoints;
        const char* align;  // null: left
        int before, after;  // twips
        int outline;        // -1: none
    };
    const Style paragraphs[] = {
        {"Normal", "Normal", nullptr, 21, nullptr, 40, 0, -1},
        {"Title", "Title", "黑体", 36, "center", 0, 80, -1},
        {"Subtitle", "Subtitle", nullptr, 18, "center", 0, 120, -1},
        {"Heading1", "heading 1", "黑体", 24, nullptr, 240, 120, 0},
        {"Heading2", "heading 2", "黑体", 21, nullptr, 200, 80, 1},
        {"Note", "Note", nullptr, 18, nullptr, 40, 40, -1},
        {"TableText", "Table Text", nullptr, 21, nullptr, 20, 20, -1},
        {"TableHeading", "Table Heading", "黑体", 20, "center", 20, 20, -1},
        {"Figure", "Figure", nullptr, 21, "center", 160, 0, -1},
        {"Caption", "caption", nullptr, 18, "center", 40, 120, -1},
        {"Header", "header", nullptr, 18, "center", 0, 0, -1},
        {"Footer", "footer", nullptr, 18, "center", 0, 0, -1},
    };
    for (const Style& s : paragraphs) {
        x.start("w:style").attr("w:type", "paragraph").attr("w:styleId", s.id);
        if (std::string_view(s.id) == "Normal") x.attr("w:default", "1");
        x.empty("w:name", {{"w:val", s.name}});
        if (std::string_view(s.id) != "Normal") x.empty("w:basedOn", {{"w:val", "Normal"}});
        x.empty("w:qFormat");
        x.start("w:pPr");
        if (s.outline >= 0) x.empty("w:keepNext");
        if (std::string_view(s.id) == "Header") {
            x.start("w:pBdr")
                .empty("w:bottom",
                       {{"w:val", "single"}, {"w:sz", "4"}, {"w:space", "1"}, {"w:color", "auto"}})
                .end();
        }
        x.empty("w:spacing",
                {{"w:before", std::to_string(s.before)}, {"w:after", std::to_string(s.after)}});
        if (s.align != nullptr) x.empty("w:jc", {{"w:val", s.align}});
        if (s.outline >= 0) x.empty("w:outlineLvl", {{"w:val", std::to_string(s.outline)}});
        x.end();
        x.start("w:rPr");
        if (s.eastAsia != nullptr) fonts(s.eastAsia, s.eastAsia);
        size(s.halfPoints);
        x.end();
        x.end();
    }
    x.start("w:style")
        .attr("w:type", "table")
        .attr("w:default", "1")
        .attr("w:styleId", "TableNormal");
    x.empty("w:name", {{"w:val", "Normal Table"}});
    x.start("w:tblPr").start("w:tblCellMar");
    x.empty("w:left", {{"w:w", "108"}, {"w:type", "dxa"}});
    x.empty("w:right", {{"w:w", "108"}, {"w:type", "dxa"}});
    x.end().end().end();
    x.end();
    return x.finish();
}

// The Chinese faces by their Chinese names, as Word on a Chinese system writes them, with
// their English names as alternatives for a system in another language.
std::string fontTable() {
    Xml x;
    x.start("w:fonts").attr("xmlns:w", nsW);
    struct Font {
        const char* name;
        const char* alt;
        const char* charset;
        const char* family;
        const char* pitch;
    };
    for (const Font& f : {Font{"宋体", "SimSun", "86", "auto", "variable"},
                          Font{"黑体", "SimHei", "86", "modern", "fixed"},
                          Font{"Times New Roman", nullptr, "00", "roman", "variable"},
                          Font{"Cambria Math", nullptr, "00", "roman", "variable"}}) {
        x.start("w:font").attr("w:name", f.name);
        if (f.alt != nullptr) x.empty("w:altName", {{"w:val", f.alt}});
        x.empty("w:charset", {{"w:val", f.charset}});
        x.empty("w:family", {{"w:val", f.family}});
        x.empty("w:pitch", {{"w:val", f.pitch}});
        x.end();
    }
    x.end();
    return x.finish();
}

std::string settings() {
    Xml x;
    x.start("w:settings").attr("xmlns:w", nsW);
    x.empty("w:defaultTabStop", {{"w:val", "420"}});
    x.empty("w:characterSpacingControl", {{"w:val", "compressPunctuation"}});
    x.start("w:compat");
    x.empty("w:compatSetting", {{"w:name", "compatibilityMode"},
                                {"w:uri", "http://schemas.microsoft.com/office/word"},
                                {"w:val", "15"}});
    x.end();
    x.end();
    return x.finish();
}

// The running header: the project at the left, the book's title at the right. The first
// page's header (`running` false) is empty.
std::string header(const CalculationReport& report, bool running) {
    Xml x;
    x.start("w:hdr").attr("xmlns:w", nsW).attr("xmlns:r", nsR);
    x.start("w:p").start("w:pPr").empty("w:pStyle", {{"w:val", "Header"}});
    if (running) {
        x.start("w:tabs")
            .empty("w:tab", {{"w:val", "right"}, {"w:pos", std::to_string(textWidth)}})
            .end();
        x.empty("w:jc", {{"w:val", "left"}});
    }
    x.end();
    if (running) {
        x.start("w:r").start("w:t").attr("xml:space", "preserve").text(report.filed.project);
        x.end().end();
        x.start("w:r").empty("w:tab").end();
        x.start("w:r").start("w:t").text(bookTitle(report.filed, report.calculation)).end().end();
    }
    x.end().end();
    return x.finish();
}

// "第 X 页 共 Y 页", X and Y fields that every word processor fills in as it lays out.
std::string footer() {
    Xml x;
    x.start("w:ftr").attr("xmlns:w", nsW).attr("xmlns:r", nsR);
    x.start("w:p").start("w:pPr").empty("w:pStyle", {{"w:val", "Footer"}}).end();
    const auto text = [&x](const char* t) {
        x.start("w:r").start("w:t").attr("xml:space", "preserve").text(t).end().end();
    };
    const auto field = [&x](const char* instruction) {
        x.start("w:r").empty("w:fldChar", {{"w:fldCharType", "begin"}}).end();
        x.start("w:r")
            .start("w:instrText")
            .attr("xml:space", "preserve")
            .text(instruction)
            .end()
            .end();
        x.start("w:r").empty("w:fldChar", {{"w:fldCharType", "separate"}}).end();
        x.start("w:r").start("w:t").text("1").end().end();
        x.start("w:r").empty("w:fldChar", {{"w:fldCharType", "end"}}).end();
    };
    text("第 ");
    field(" PAGE ");
    text(" 页 共 ");
    field(" NUMPAGES ");
    text(" 页");
    x.end().end();
    return x.finish();
}

std::string contentTypes() {
    Xml x;
    x.start("Types").attr("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
    x.empty("Default",
            {{"Extension", "rels"},
             {"ContentType", "application/vnd.openxmlformats-package.relationships+xml"}});
    x.empty("Default", {{"Extension", "xml"}, {"ContentType", "application/xml"}});
    x.empty("Default", {{"Extension", "png"}, {"ContentType", "image/png"}});
    const std::string word = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
    const std::pair<const char*, std::string> parts[] = {
        {"/word/document.xml", word + "document.main+xml"},
        {"/word/styles.xml", word + "styles+xml"},
        {"/word/settings.xml", word + "settings+xml"},
        {"/word/fontTable.xml", word + "fontTable+xml"},
        {"/word/header1.xml", word + "header+xml"},
        {"/word/footer1.xml", word + "footer+xml"},
        {"/word/header2.xml", word + "header+xml"},
        {"/word/footer2.xml", word + "footer+xml"},
        {"/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml"},
        {"/docProps/app.xml",
         "application/vnd.openxmlformats-officedocument.extended-properties+xml"},
    };
    for (const auto& [part, type] : parts)
        x.empty("Override", {{"PartName", part}, {"ContentType", type}});
    x.end();
    return x.finish();
}

std::string relationships(const std::vector<std::pair<std::string, std::string>>& typed,
                          const std::vector<std::string>& ids) {
    Xml x;
    x.start("Relationships").attr("xmlns", nsRel);
    for (std::size_t k = 0; k < typed.size(); ++k)
        x.empty("Relationship",
                {{"Id", ids[k]}, {"Type", typed[k].first}, {"Target", typed[k].second}});
    x.end();
    return x.finish();
}

std::string core(const CalculationReport& report) {
    Xml x;
    x.start("cp:coreProperties")
        .attr("xmlns:cp", "http://schemas.openxmlformats.org/package/2006/metadata/core-properties")
        .attr("xmlns:dc", "http://purl.org/dc/elements/1.1/");
    x.start("dc:title").text(report.calculation + " 计算书").end();
    x.start("dc:creator").text(report.program).end();
    x.end();
    return x.finish();
}

std::string app(const CalculationReport& report) {
    Xml x;
    x.start("Properties")
        .attr("xmlns", "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties");
    x.start("Application").text(report.program).end();
    x.end();
    return x.finish();
}

// The package around the document: its parts, the running header and footer, the pictures.
std::string package(const CalculationReport& report, const std::string& document,
                    const std::vector<Image>& images);

}  // namespace

std::string reportDocx(const CalculationReport& report,
                       const std::vector<ChannelPictures>& pictures,
                       const std::optional<DocxPicture>& schemes) {
    DocumentWriter writer(report, pictures, schemes);
    const std::string document = writer.document();
    return package(report, document, writer.images);
}

std::string canalBookDocx(const CanalBook& book,
                          const std::vector<std::vector<ChannelPictures>>& pictures) {
    // The book as a whole, for its first page, its running header and its properties.
    CalculationReport whole;
    whole.calculation = book.filed.title;
    whole.program = book.program;
    whole.when = book.when;
    whole.filed = book.filed;
    const std::vector<ChannelPictures> none;
    const std::optional<DocxPicture> noSchemes;
    DocumentWriter writer(whole, none, noSchemes);
    const std::string document = writer.canal(book, pictures);
    return package(whole, document, writer.images);
}

namespace {

std::string package(const CalculationReport& report, const std::string& document,
                    const std::vector<Image>& images) {
    const std::string rel(relBase);
    std::vector<std::pair<std::string, std::string>> targets = {
        {rel + "styles", "styles.xml"},       {rel + "settings", "settings.xml"},
        {rel + "fontTable", "fontTable.xml"}, {rel + "header", "header1.xml"},
        {rel + "footer", "footer1.xml"},      {rel + "header", "header2.xml"},
        {rel + "footer", "footer2.xml"}};
    std::vector<std::string> ids = {"rIdStyles", "rIdSettings",    "rIdFonts",      "rIdHeader",
                                    "rIdFooter", "rIdFirstHeader", "rIdFirstFooter"};
    for (std::size_t k = 0; k < images.size(); ++k) {
        targets.emplace_back(rel + "image", "media/image" + std::to_string(k + 1) + ".png");
        ids.push_back(images[k].relation);
    }

    ZipWriter zip;
    zip.add("[Content_Types].xml", contentTypes());
    zip.add("_rels/.rels",
            relationships({{rel + "officeDocument", "word/document.xml"},
                           {"http://schemas.openxmlformats.org/package/2006/relationships/"
                            "metadata/core-properties",
                            "docProps/core.xml"},
                           {rel + "extended-properties", "docProps/app.xml"}},
                          {"rId1", "rId2", "rId3"}));
    zip.add("docProps/core.xml", core(report));
    zip.add("docProps/app.xml", app(report));
    zip.add("word/document.xml", document);
    zip.add("word/_rels/document.xml.rels", relationships(targets, ids));
    zip.add("word/styles.xml", styles());
    zip.add("word/settings.xml", settings());
    zip.add("word/fontTable.xml", fontTable());
    zip.add("word/header1.xml", header(report, true));
    zip.add("word/footer1.xml", footer());
    zip.add("word/header2.xml", header(report, false));
    zip.add("word/footer2.xml", footer());
    for (std::size_t k = 0; k < images.size(); ++k)
        zip.add("word/media/image" + std::to_string(k + 1) + ".png", images[k].picture->png);
    return zip.finish();
}

}  // namespace

}  // namespace lintavo
