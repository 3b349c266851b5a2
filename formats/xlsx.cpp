#include "formats/xlsx.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>

#include "formats/limits.h"
#include "formats/zip.h"
#include "hydraulics/number_text.h"

namespace lintavo {

namespace {

// ---- Reading: a small pull parser, enough for what spreadsheets write ----------------

// Thrown inside the reader when the file goes beyond formats/limits.h; readXlsx turns it into
// its refusal, so that the parser's loops need no error path of their own.
struct Refused {
    std::string sentence;
};

// A text grown by the reader, refused past one cell's bound.
void appendBounded(std::string& text, std::string_view more) {
    if (more.size() > limits::maxCellTextBytes - std::min(text.size(), limits::maxCellTextBytes))
        throw Refused{"工作簿中有一段文字超过了 " + std::to_string(limits::maxCellTextBytes / 4) +
                      " 个字符，这是电子表格一个单元格能容纳的上限。"};
    text += more;
}

struct XmlEvent {
    enum Kind { Start, End, Text, Done } kind = Done;
    std::string_view name;  // local name, without a namespace prefix
    std::string_view attributes;
    bool empty = false;  // <x/>: a Start with no End to follow
    std::string text;
};

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Character data with its five entities and numeric references resolved.
std::string unescaped(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t k = 0; k < s.size(); ++k) {
        if (s[k] != '&') {
            out += s[k];
            continue;
        }
        const std::size_t end = s.find(';', k);
        if (end == s.npos) {
            out += s.substr(k);
            break;
        }
        const std::string_view entity = s.substr(k + 1, end - k - 1);
        if (entity == "lt") {
            out += '<';
        } else if (entity == "gt") {
            out += '>';
        } else if (entity == "amp") {
            out += '&';
        } else if (entity == "quot") {
            out += '"';
        } else if (entity == "apos") {
            out += '\'';
        } else if (entity.starts_with('#')) {
            const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
            std::uint32_t code = 0;
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            appendUtf8(out, code);
        } else {
            out += s.substr(k, end - k + 1);
        }
        k = end;
    }
    return out;
}

std::string_view localName(std::string_view qualified) {
    const std::size_t colon = qualified.find(':');
    return colon == qualified.npos ? qualified : qualified.substr(colon + 1);
}

// An attribute's value by its local name, unescaped; empty when absent.
std::string attribute(std::string_view attributes, std::string_view name) {
    std::size_t k = 0;
    while (k < attributes.size()) {
        while (k < attributes.size() && std::isspace(static_cast<unsigned char>(attributes[k])))
            ++k;
        const std::size_t eq = attributes.find('=', k);
        if (eq == attributes.npos) break;
        std::string_view key = attributes.substr(k, eq - k);
        while (!key.empty() && std::isspace(static_cast<unsigned char>(key.back())))
            key.remove_suffix(1);
        std::size_t open = eq + 1;
        while (open < attributes.size() &&
               std::isspace(static_cast<unsigned char>(attributes[open])))
            ++open;
        if (open >= attributes.size()) break;
        const char quote = attributes[open];
        const std::size_t close = attributes.find(quote, open + 1);
        if (close == attributes.npos) break;
        if (localName(key) == name) return unescaped(attributes.substr(open + 1, close - open - 1));
        k = close + 1;
    }
    return {};
}

class XmlReader {
  public:
    explicit XmlReader(std::string_view xml) : xml_(xml) {}

    XmlEvent next() {
        XmlEvent event;
        while (pos_ < xml_.size()) {
            if (xml_[pos_] != '<') {
                const std::size_t end = std::min(xml_.find('<', pos_), xml_.size());
                event.kind = XmlEvent::Text;
                event.text = unescaped(xml_.substr(pos_, end - pos_));
                pos_ = end;
                return event;
            }
            if (xml_.substr(pos_, 9) == "<![CDATA[") {
                const std::size_t end = std::min(xml_.find("]]>", pos_), xml_.size());
                event.kind = XmlEvent::Text;
                event.text = std::string(xml_.substr(pos_ + 9, end - pos_ - 9));
                pos_ = std::min(end + 3, xml_.size());
                return event;
            }
            if (xml_.substr(pos_, 4) == "<!--") {
                pos_ = std::min(xml_.find("-->", pos_), xml_.size());
                pos_ = std::min(pos_ + 3, xml_.size());
                continue;
            }
            if (xml_.substr(pos_, 2) == "<?" || xml_.substr(pos_, 2) == "<!") {
                pos_ = std::min(xml_.find('>', pos_), xml_.size());
                pos_ = std::min(pos_ + 1, xml_.size());
                continue;
            }
            // A tag; '>' never appears unescaped inside attribute values spreadsheets write,
            // but quotes are honoured anyway.
            std::size_t end = pos_ + 1;
            char quote = 0;
            while (end < xml_.size() && (quote != 0 || xml_[end] != '>')) {
                if (quote == 0 && (xml_[end] == '"' || xml_[end] == '\'')) {
                    quote = xml_[end];
                } else if (quote == xml_[end]) {
                    quote = 0;
                }
                ++end;
            }
            std::string_view tag = xml_.substr(pos_ + 1, end - pos_ - 1);
            pos_ = std::min(end + 1, xml_.size());
            if (tag.starts_with('/')) {
                event.kind = XmlEvent::End;
                tag.remove_prefix(1);
                const std::size_t space = tag.find_first_of(" \t\r\n");
                event.name = localName(tag.substr(0, space));
                return event;
            }
            event.kind = XmlEvent::Start;
            if (tag.ends_with('/')) {
                event.empty = true;
                tag.remove_suffix(1);
            }
            const std::size_t space = std::min(tag.find_first_of(" \t\r\n"), tag.size());
            event.name = localName(tag.substr(0, space));
            event.attributes = tag.substr(space);
            return event;
        }
        return event;
    }

  private:
    std::string_view xml_;
    std::size_t pos_ = 0;
};

// The text of every <t> inside the element just started (a shared string item or an inline
// string), runs joined, phonetic guides (<rPh>) left out.
std::string stringItem(XmlReader& xml, std::string_view element) {
    std::string text;
    int phonetic = 0;
    bool inT = false;
    for (XmlEvent e = xml.next(); e.kind != XmlEvent::Done; e = xml.next()) {
        if (e.kind == XmlEvent::Start && !e.empty) {
            if (e.name == "rPh") ++phonetic;
            if (e.name == "t") inT = true;
        } else if (e.kind == XmlEvent::End) {
            if (e.name == "rPh") --phonetic;
            if (e.name == "t") inT = false;
            if (e.name == element) break;
        } else if (e.kind == XmlEvent::Text && inT && phonetic == 0) {
            appendBounded(text, e.text);
        }
    }
    return text;
}

std::vector<std::string> sharedStrings(std::string_view xml) {
    std::vector<std::string> strings;
    std::size_t bytes = 0;
    XmlReader reader(xml);
    for (XmlEvent e = reader.next(); e.kind != XmlEvent::Done; e = reader.next()) {
        if (e.kind == XmlEvent::Start && e.name == "si") {
            if (strings.size() == limits::maxSharedStrings)
                throw Refused{"工作簿的共享字符串超过了 " +
                              std::to_string(limits::maxSharedStrings) + " 个的上限。"};
            strings.push_back(e.empty ? std::string() : stringItem(reader, "si"));
            bytes += strings.back().size();
            if (bytes > limits::maxTableTextBytes)
                throw Refused{"工作簿的共享字符串总共超过了 " +
                              std::to_string(limits::maxTableTextBytes >> 20) + " MiB 的上限。"};
        }
    }
    return strings;
}

// "B12" → column 1 (from 0); none without letters. A column beyond XFD is refused before its
// number can grow past what a sheet has.
std::optional<std::size_t> columnOf(std::string_view reference) {
    std::size_t column = 0;
    std::size_t k = 0;
    for (; k < reference.size() && std::isalpha(static_cast<unsigned char>(reference[k])); ++k) {
        column =
            column * 26 + static_cast<std::size_t>(
                              std::toupper(static_cast<unsigned char>(reference[k])) - 'A' + 1);
        if (column > limits::maxColumns)
            throw Refused{"工作表中的单元格引用“" + std::string(reference.substr(0, 20)) +
                          (reference.size() > 20 ? "…" : "") + "”超出了最后一列 XFD。"};
    }
    if (k == 0) return std::nullopt;
    return column - 1;
}

// A stored number in its shortest decimal form; the text itself when it is not one.
std::string shortestNumber(std::string_view text) {
    double x = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), x);
    if (error != std::errc() || end != text.data() + text.size()) return std::string(text);
    // As a person types it: plain decimals for the sizes channels have, an exponent only
    // for the very large and very small.
    const double size = std::abs(x);
    const bool plain = size == 0 || (size >= 1e-6 && size < 1e15);
    char buffer[64];
    const auto written =
        plain ? std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed)
              : std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, written.ptr);
}

// An entry of the workbook; none when it is missing, refused when it is there but cannot be
// read.
std::optional<std::string> entry(std::string_view zip, std::string_view name) {
    std::string refusal;
    auto bytes = readZipEntry(zip, name, &refusal);
    if (!refusal.empty()) throw Refused{std::move(refusal)};
    return bytes;
}

// The path of the workbook's first sheet, through the workbook's relationships.
std::string firstSheetPath(std::string_view zip) {
    const auto workbook = entry(zip, "xl/workbook.xml");
    const auto rels = entry(zip, "xl/_rels/workbook.xml.rels");
    if (!workbook || !rels) return "xl/worksheets/sheet1.xml";
    std::string id;
    XmlReader book(*workbook);
    for (XmlEvent e = book.next(); e.kind != XmlEvent::Done; e = book.next()) {
        if (e.kind == XmlEvent::Start && e.name == "sheet") {
            id = attribute(e.attributes, "id");
            break;
        }
    }
    XmlReader relations(*rels);
    for (XmlEvent e = relations.next(); e.kind != XmlEvent::Done; e = relations.next()) {
        if (e.kind == XmlEvent::Start && e.name == "Relationship" &&
            attribute(e.attributes, "Id") == id) {
            std::string target = attribute(e.attributes, "Target");
            if (target.starts_with('/')) return target.substr(1);
            return "xl/" + target;
        }
    }
    return "xl/worksheets/sheet1.xml";
}

// The first sheet as rows of texts, within the table's caps: the cells a row holds up to its
// last one (and one for an empty row) count towards limits::maxCells, so that neither a cell
// at XFD nor a jump in row numbers can make the table larger than the file warrants.
class SheetBuilder {
  public:
    using Rows = std::vector<std::vector<std::string>>;

    // Starts row `number` (from 1), the rows skipped before it empty.
    void startRow(std::size_t number) {
        if (number > limits::maxRows)
            throw Refused{"工作表的行号 " + std::to_string(number) + " 超出了最后一行 " +
                          std::to_string(limits::maxRows) + "。"};
        // A row number may skip empty rows; it never goes back.
        if (number > rows_.size()) grow(number - rows_.size());
        if (rows_.empty()) grow(1);
    }

    std::size_t rowCount() const { return rows_.size(); }
    std::size_t lastRowWidth() const { return rows_.empty() ? 0 : rows_.back().size(); }

    void setCell(std::size_t column, std::string value) {
        if (rows_.empty()) grow(1);
        std::vector<std::string>& row = rows_.back();
        if (row.size() <= column) {
            // The row's first cell was counted with the row.
            count(column + 1 - std::max<std::size_t>(row.size(), 1));
            row.resize(column + 1);
        }
        text_ += value.size();
        if (text_ > limits::maxTableTextBytes)
            throw Refused{"工作表的文字总共超过了 " +
                          std::to_string(limits::maxTableTextBytes >> 20) + " MiB 的上限。"};
        row[column] = std::move(value);
    }

    Rows take() { return std::move(rows_); }

  private:
    void count(std::size_t more) {
        if (more > limits::maxCells - cells_)
            throw Refused{"工作表太大：连同每行最后一个单元格之前的空单元格，超过了 " +
                          std::to_string(limits::maxCells) + " 个单元格的上限。"};
        cells_ += more;
    }
    void grow(std::size_t more) {
        count(more);
        rows_.resize(rows_.size() + more);
    }

    Rows rows_;
    std::size_t cells_ = 0;
    std::size_t text_ = 0;
};

SheetBuilder::Rows readSheet(std::string_view bytes) {
    const std::string path = firstSheetPath(bytes);
    const auto sheetXml = entry(bytes, path);
    if (!sheetXml) throw Refused{"文件中没有工作表“" + path + "”，它不是 .xlsx 工作簿。"};
    // The shared strings' XML is let go once they are read.
    const std::vector<std::string> strings = [&] {
        const auto shared = entry(bytes, "xl/sharedStrings.xml");
        return shared ? sharedStrings(*shared) : std::vector<std::string>{};
    }();

    SheetBuilder sheet;
    XmlReader xml(*sheetXml);
    bool inSheetData = false;
    for (XmlEvent e = xml.next(); e.kind != XmlEvent::Done; e = xml.next()) {
        if (e.kind == XmlEvent::Start && e.name == "sheetData") inSheetData = !e.empty;
        if (e.kind == XmlEvent::End && e.name == "sheetData") inSheetData = false;
        if (!inSheetData || e.kind != XmlEvent::Start) continue;
        if (e.name == "row") {
            const std::string r = attribute(e.attributes, "r");
            std::size_t number = sheet.rowCount() + 1;
            const auto read = std::from_chars(r.data(), r.data() + r.size(), number);
            if (read.ec == std::errc::result_out_of_range) number = limits::maxRows + 1;
            sheet.startRow(number);
            continue;
        }
        if (e.name != "c") continue;
        const auto at = columnOf(attribute(e.attributes, "r"));
        const std::string type = attribute(e.attributes, "t");
        std::string value;
        bool haveValue = false;
        if (!e.empty) {
            for (XmlEvent inner = xml.next(); inner.kind != XmlEvent::Done; inner = xml.next()) {
                if (inner.kind == XmlEvent::End && inner.name == "c") break;
                if (inner.kind == XmlEvent::Start && inner.name == "is" && !inner.empty) {
                    value = stringItem(xml, "is");
                    haveValue = true;
                } else if (inner.kind == XmlEvent::Start && inner.name == "v" && !inner.empty) {
                    const XmlEvent text = xml.next();
                    value.clear();
                    if (text.kind == XmlEvent::Text) appendBounded(value, text.text);
                    haveValue = true;
                }
            }
        }
        if (!haveValue) continue;
        if (type == "s") {
            std::size_t index = strings.size();
            std::from_chars(value.data(), value.data() + value.size(), index);
            value = index < strings.size() ? strings[index] : std::string();
        } else if (type == "b") {
            value = value == "1" ? "TRUE" : "FALSE";
        } else if (type.empty() || type == "n") {
            value = shortestNumber(value);
        }
        // A cell without a reference follows the row's last.
        const std::size_t column = at ? *at : sheet.lastRowWidth();
        if (column >= limits::maxColumns) throw Refused{"工作表的一行超出了最后一列 XFD。"};
        sheet.setCell(column, std::move(value));
    }
    return sheet.take();
}

// ---- Writing ---------------------------------------------------------------------------

std::string escaped(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                // XML 1.0 has no place for the other control characters.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out += c;
        }
    }
    return out;
}

std::string columnName(std::size_t column) {
    std::string name;
    for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
    return name;
}

// The number formats a workbook defines itself are numbered from 164 on.
constexpr std::size_t firstCustomFormat = 164;

// How many character widths a text's longest line takes in a spreadsheet column: a Chinese
// (or other wide) character two, anything else one.
std::size_t displayWidth(std::string_view text) {
    std::size_t widest = 0;
    std::size_t width = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') width = 0;
        if (c == '\n' || (byte & 0xC0) == 0x80) continue;  // a continuation byte
        width += byte >= 0xE1 ? 2 : 1;  // three- and four-byte characters from U+1000 on
        widest = std::max(widest, width);
    }
    return widest;
}

constexpr std::string_view xmlDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

}  // namespace

bool isXlsxNumber(std::string_view s) {
    std::size_t k = 0;
    if (k < s.size() && s[k] == '-') ++k;
    const std::size_t intStart = k;
    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
        ++k;
    bool digits = k > intStart;
    if (k < s.size() && s[k] == '.') {
        const std::size_t fracStart = ++k;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
            ++k;
        digits = digits || k > fracStart;
    }
    if (!digits) return false;
    if (k < s.size() && (s[k] == 'E' || s[k] == 'e')) {
        ++k;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        const std::size_t expStart = k;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
            ++k;
        if (k == expStart) return false;
    }
    return k == s.size();
}

// Where the column widths go, once the widest text of each is known.
constexpr std::string_view sheetHead =
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";

XlsxWriter::XlsxWriter() : xml_(xmlDeclaration) {
    xml_ += sheetHead;
    xml_ += "<sheetData>";
}

std::size_t XlsxWriter::styleOf(const std::string& format) {
    if (format.empty()) return 0;
    const auto known = std::find(formats_.begin(), formats_.end(), format);
    if (known != formats_.end()) return 2 + static_cast<std::size_t>(known - formats_.begin());
    formats_.push_back(format);
    return 1 + formats_.size();
}

void XlsxWriter::addRow(const std::vector<XlsxCell>& cells) {
    const std::string row = std::to_string(++rows_);
    if (widths_.size() < cells.size()) widths_.resize(cells.size());
    xml_ += "<row r=\"" + row + "\">";
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const XlsxCell& cell = cells[c];
        if (cell.text.empty()) continue;
        const bool number = cell.number && isXlsxNumber(cell.text);
        const std::size_t style = rows_ == 1 ? 1 : number ? styleOf(cell.format) : 0;
        // A ratio shows as typed, "1/5000", whatever digits the number itself has.
        const std::size_t shown =
            number && !cell.format.empty() ? cell.format.size() : displayWidth(cell.text);
        widths_[c] = std::max(widths_[c], shown);
        xml_ += "<c r=\"";
        xml_ += columnName(c);
        xml_ += row;
        xml_ += '"';
        if (style != 0) xml_ += " s=\"" + std::to_string(style) + '"';
        if (number) {
            xml_ += "><v>" + cell.text + "</v></c>";
        } else {
            xml_ += " t=\"inlineStr\"><is><t xml:space=\"preserve\">" + escaped(cell.text) +
                    "</t></is></c>";
        }
    }
    xml_ += "</row>";
}

std::string XlsxWriter::finish(std::string_view sheetName) && {
    ZipWriter zip;
    zip.add("[Content_Types].xml",
            std::string(xmlDeclaration) +
                "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                "<Default Extension=\"rels\" "
                "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
                "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
                "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                "</Types>");
    zip.add("_rels/.rels",
            std::string(xmlDeclaration) +
                "<Relationships "
                "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
                "officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
                "</Relationships>");
    zip.add("xl/workbook.xml",
            std::string(xmlDeclaration) +
                "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                "<sheets><sheet name=\"" +
                escaped(sheetName) + "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
    zip.add("xl/_rels/workbook.xml.rels",
            std::string(xmlDeclaration) +
                "<Relationships "
                "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
                "officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/"
                "officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
                "</Relationships>");
    // Style 0 plain, style 1 bold for the header, then one a number format.
    std::string numberFormats;
    std::string formatStyles;
    for (std::size_t k = 0; k < formats_.size(); ++k) {
        const std::string id = std::to_string(firstCustomFormat + k);
        numberFormats +=
            "<numFmt numFmtId=\"" + id + "\" formatCode=\"" + escaped(formats_[k]) + "\"/>";
        formatStyles += "<xf numFmtId=\"" + id +
                        "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                        "applyNumberFormat=\"1\"/>";
    }
    if (!numberFormats.empty()) {
        numberFormats = "<numFmts count=\"" + std::to_string(formats_.size()) + "\">" +
                        numberFormats + "</numFmts>";
    }
    zip.add("xl/styles.xml",
            std::string(xmlDeclaration) +
                "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                numberFormats +
                "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"宋体\"/></font>"
                "<font><b/><sz val=\"11\"/><name val=\"宋体\"/></font></fonts>"
                "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
                "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
                "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/>"
                "</border></borders>"
                "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
                "borderId=\"0\"/></cellStyleXfs>"
                "<cellXfs count=\"" +
                std::to_string(2 + formats_.size()) +
                "\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
                "borderId=\"0\" xfId=\"0\"/><xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" "
                "borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>" +
                formatStyles +
                "</cellXfs>"
                "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
                "builtinId=\"0\"/></cellStyles></styleSheet>");

    // The widths go before the rows; a little room either side of the widest text.
    std::string columns;
    for (std::size_t c = 0; c < widths_.size(); ++c) {
        if (widths_[c] == 0) continue;
        const std::string n = std::to_string(c + 1);
        const std::size_t width = std::clamp<std::size_t>(widths_[c] + 2, 8, 60);
        columns += "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + std::to_string(width) +
                   "\" customWidth=\"1\"/>";
    }
    if (!columns.empty())
        xml_.insert(xmlDeclaration.size() + sheetHead.size(), "<cols>" + columns + "</cols>");
    xml_ += "</sheetData></worksheet>";
    zip.add("xl/worksheets/sheet1.xml", xml_);
    xml_ = std::string();
    return zip.finish();
}

std::optional<XlsxCell> xlsxSlopeRatio(std::string_view text) {
    const std::optional<std::string> divisor = slopeRatioDivisor(text);
    if (!divisor) return std::nullopt;
    double n = 0;
    std::from_chars(divisor->data(), divisor->data() + divisor->size(), n);
    char digits[32];
    const auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), 1.0 / n);
    if (error != std::errc()) return std::nullopt;
    return XlsxCell{std::string(digits, end), true, "?/" + *divisor};
}

std::string writeXlsx(const XlsxSheet& sheet, std::string_view sheetName) {
    XlsxWriter out;
    for (const auto& row : sheet)
        out.addRow(row);
    return std::move(out).finish(sheetName);
}

std::optional<std::vector<std::vector<std::string>>> readXlsx(std::string_view bytes,
                                                              std::string* refusal) {
    std::string why;
    std::optional<std::vector<std::vector<std::string>>> rows;
    try {
        rows = readSheet(bytes);
    } catch (Refused& refused) {
        why = std::move(refused.sentence);
    } catch (const std::exception&) {
        // The caps keep every allocation far below what a machine has; should one still
        // fail, the reading fails, not the program.
        why = "内存不足，无法读取这个工作簿。";
    }
    if (refusal != nullptr) *refusal = std::move(why);
    return rows;
}

}  // namespace lintavo
