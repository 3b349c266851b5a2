// lintavo-calc: the calculators without a window. Reads a table of channels as CSV, runs the
// named calculation's press on every row, and writes the batch's columns as CSV, row by row
// as it reads them, so that its memory does not depend on the length of the input.
//
//   lintavo-calc normal-depth reaches.csv > depths.csv
//
// Exit status: 0 when every row computed, 1 when some row failed (every row is still
// written, the failure's cause in 说明), 2 when the input cannot be used or the output
// cannot be written.

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "calculators/batch.h"
#include "calculators/catalogue.h"
#include "canal/profile.h"
#include "canal/project.h"
#include "canal/standard_data.h"
#include "formats/canal_book.h"
#include "formats/canal_table.h"
#include "formats/csv.h"
#include "formats/docx.h"
#include "formats/dxf.h"
#include "formats/profile_dxf.h"
#include "formats/xlsx.h"
#include "hydraulics/quantities.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace lintavo;

namespace {

constexpr int allComputed = 0;
constexpr int someFailed = 1;
constexpr int unusable = 2;

constexpr std::string_view helpText = R"(用法：lintavo-calc 计算 [文件]
      lintavo-calc project 工程文件 [--json] [--table 成果表.xlsx|.csv]
             [--profile 纵断面图.dxf] [--sections 横断面图.dxf] [--book 计算书.docx]
      lintavo-calc --help

按“计算”对 CSV 表格的每一行计算一次，与对应计算窗口按“计算”所写的文字完全相同，
结果以 CSV 写到标准输出。没有给出文件或文件为“-”时从标准输入读取。

计算（窗口标题或英文别名）：
%CALCULATIONS%

输入：逗号分隔（首行含制表符而无逗号时为制表符分隔）的 CSV，UTF-8（可带 BOM）或
GB18030/GBK 编码，自动识别。首行为表头时，各列按符号（Q b h m i n v，衬砌断面另有
r α D，α 也可写作 a）或窗口中的标签（如“流量Q”“边坡系数m”，可不带符号、可带括号中的
单位）识别，顺序不限；
“名称”（或“渠段”“桩号”）列为名称；其余列原样保留在“说明”之后；结果列和“说明”列
重新计算。首行不含任何这些名称时视为没有表头，各列依次为窗口的输入（按读取顺序），
其后的列原样保留。空白单元格和全角字符按输入框的规则处理。

输出：UTF-8 编码的 CSV，列为 名称、各输入（按读取顺序）、各结果、说明，以及保留的列。
某一行计算失败时，其结果为空，“说明”中写出失败原因，其余各行照常计算。圆管在满管
流量与最大无压流量之间有两个水深，结果取较浅者，“说明”中写出另一个；流量超过最大无压
流量时管内为压力流，该行失败。

选项：
  --bom     在输出开头写 UTF-8 字节顺序标记，便于电子表格直接打开
  --help    显示本说明
  --version 显示版本

工程（project）：读取 Lintavo 工程文件，计算每个渠段的正常水深、流速和
设计校核，按 GB 50288-2018 第 6.3.8 条由控制点（或给定的渠首水位）推算
渠首设计水位，再沿渠道推算各渠段两端的设计水位、渠底高程、加大水位和
堤顶高程。
  --json            以 JSON 输出全部结果（桩号以米计，数值为完整的双精度数）
  --table 文件      把水力计算成果表写为 .xlsx 或 .csv 文件（完整写入，或不写）
  --profile 文件    写出纵断面图 DXF
  --profile-scale 水平:垂直
                    纵断面图的比例分母，默认 2000:100（水平 1:2000，垂直 1:100）
  --sections 文件   写出各渠段横断面图 DXF（各段断面自左至右并排）
  --book 文件       写出计算书 Word 文档
工程的退出状态：0 各渠段都已算出且各项校核都满足；1 有渠段无法计算、
有控制点无法推算或有校核不满足；2 文件无法使用，或结果无法写出。

退出状态：0 所有行都已算出；1 有的行计算失败（所有行仍已写出）；2 输入无法使用，
或结果无法写到标准输出（如磁盘已满）。
)";

// The width a terminal gives a text: two columns for each character beyond ASCII.
std::size_t columnsOf(std::string_view text) {
    std::size_t columns = 0;
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            ++columns;
        } else if (c >= 0xC0) {
            columns += 2;
        }
    }
    return columns;
}

std::string padded(std::string_view text, std::size_t columns) {
    std::string out(text);
    out.append(columns > columnsOf(text) ? columns - columnsOf(text) : 1, ' ');
    return out;
}

// "b、h、m、i、n"; "流量Q、流速v".
std::string listed(const std::string& symbols, bool captions) {
    std::string out;
    for (char symbol : symbols) {
        if (!out.empty()) out += "、";
        const Quantity* q = quantityOf(symbol);
        out += captions && q != nullptr ? std::string(q->caption) : std::string(1, symbol);
    }
    return out;
}

// The calculations the help lists, one a line, from the catalogue:
//   "  流量Q计算       discharge      由 b、h、m、i、n 求流量Q、流速v"
std::string calculationLines() {
    std::string lines;
    for (const CalculatorTable& table : calculations()) {
        lines += "  " + padded(table.window.name, 16) + padded(calculationAlias(table), 15) +
                 "由 " + listed(quantitiesWith(table.window, Role::Input), false) + " 求" +
                 listed(quantitiesWith(table.window, Role::Output), true) + "\n";
    }
    return lines;
}

std::string help() {
    std::string text(helpText);
    const std::string_view slot = "%CALCULATIONS%\n";
    return text.replace(text.find(slot), slot.size(), calculationLines());
}

// Every calculation by name and alias, for a refusal: "流量Q计算 (discharge)、…".
std::string calculationNames() {
    std::string names;
    for (const CalculatorTable& table : calculations()) {
        if (!names.empty()) names += "、";
        names += std::string(table.window.name) + " (" + std::string(calculationAlias(table)) + ")";
    }
    return names;
}

void say(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

int refuse(std::string_view message) {
    say("lintavo-calc：" + std::string(message));
    return unusable;
}

// Writes in large pieces: the output of a long batch goes out as it is computed. False once
// standard output has refused a write, so that a batch stops at the first.
class Output {
  public:
    std::string& text() { return text_; }
    bool maybeFlush() { return text_.size() < (1U << 16) || flush(); }
    bool flush() {
        const bool written = std::fwrite(text_.data(), 1, text_.size(), stdout) == text_.size() &&
                             std::fflush(stdout) == 0;
        text_.clear();
        return written;
    }

  private:
    std::string text_;
};

// Standard output could not take what was written to it: the last bytes may only fail
// here, when they are flushed and the stream closed.
int unwritable(int error) {
    std::string why;
    switch (error) {
        case ENOSPC:
            why = "磁盘空间不足";
            break;
        case EBADF:
            why = "标准输出已关闭";
            break;
        case EPIPE:
            why = "接收输出的程序已经退出";
            break;
        case EFBIG:
            why = "文件超出了允许的大小";
            break;
        case EIO:
            why = "设备读写出错";
            break;
        default:
            why = "系统报告错误 " + std::to_string(error);
    }
    say("lintavo-calc：无法把结果写到标准输出（" + why + "），输出不完整。");
    return unusable;
}

#ifdef _WIN32
std::filesystem::path pathOf(const std::string& name) {
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t*>(name.data()), name.size()));
}
#else
std::filesystem::path pathOf(const std::string& name) {
    return name;
}
#endif

// The whole file, or none with the reason; at most `limit` bytes are taken.
std::optional<std::string> readWhole(const std::string& name, std::size_t limit, std::string& why) {
    std::ifstream file(pathOf(name), std::ios::binary);
    if (!file) {
        why = "无法打开文件“" + name + "”";
        return std::nullopt;
    }
    std::string bytes(limit + 1, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (file.bad()) {
        why = "读取文件“" + name + "”时出错";
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

// Writes `bytes` to `name` whole or not at all: into a temporary file beside it, flushed to
// the disk, which then takes the name. A failure leaves a file already there as it was.
std::string writeWhole(const std::string& name, std::string_view bytes) {
    const std::filesystem::path target = pathOf(name);
    std::filesystem::path temporary = target;
    temporary += ".lintavo-" + std::to_string(std::random_device()()) + ".tmp";
    bool written = false;
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file)
            return "无法在文件“" + name + "”所在的文件夹中写入（文件夹不存在或没有写入权限）。";
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.flush();
        written = file.good();
        file.close();
        written = written && !file.fail();
    }
#ifndef _WIN32
    if (written) {
        const int fd = ::open(temporary.c_str(), O_RDONLY);
        written = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
    }
#endif
    std::error_code error;
    if (written) {
        std::filesystem::rename(temporary, target, error);
        if (!error) return {};
    }
    std::filesystem::remove(temporary, error);
    return "无法写入文件“" + name + "”（磁盘已满或没有写入权限），原有文件保持不变。";
}

// The 水力计算成果表 as a file, .xlsx or CSV by its name.
std::string writeResultTable(const std::string& name, const CanalProfile& profile,
                             const Project& project) {
    const std::optional<std::string> bytes = resultTableBytes(name, profile, project);
    if (!bytes) return "成果表文件“" + name + "”的扩展名应为 .xlsx 或 .csv。";
    return writeWhole(name, *bytes);
}

// A short account of the profile for a person at a terminal.
std::string profileText(const CanalProfile& profile) {
    const auto fixed = [](const std::optional<double>& x, int digits) {
        if (!x) return std::string("—");
        std::string text(64, '\0');
        const int n = std::snprintf(text.data(), text.size(), "%.*f", digits, *x);
        text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return text;
    };
    std::string text;
    if (profile.inletLevel)
        text += "渠首设计水位 " + fixed(profile.inletLevel, 3) + " m" +
                (profile.fromHead ? "（给定）" : "（由控制点推算）") + "\n";
    for (const std::string& problem : profile.problems)
        text += problem + "\n";
    for (const ReachResult& r : profile.reaches) {
        text += r.name + "  " + (r.from ? formatStation(*r.from) : "—") + "～" +
                (r.to ? formatStation(*r.to) : "—") + "  h=" + fixed(r.h, 3) +
                " v=" + fixed(r.v, 3) + "  设计水位 " +
                fixed(r.wl ? std::optional(r.wl->up) : std::nullopt, 3) + "～" +
                fixed(r.wl ? std::optional(r.wl->down) : std::nullopt, 3) + "  渠底 " +
                fixed(r.bed ? std::optional(r.bed->up) : std::nullopt, 3) + "～" +
                fixed(r.bed ? std::optional(r.bed->down) : std::nullopt, 3);
        if (r.check) text += r.anyNotMet() ? "  校核不满足" : "  校核满足";
        for (const std::string& problem : r.problems)
            text += "  " + problem;
        text += "\n";
    }
    for (const ControlResult& c : profile.controls) {
        text += "控制点 " + (c.station ? formatStation(*c.station) : std::string("—")) +
                "  要求水位 " + fixed(c.required, 3) + "  设计水位 " + fixed(c.wl, 3) + "  富余 " +
                fixed(c.margin, 3);
        if (!c.problem.empty()) text += "  " + c.problem;
        text += "\n";
    }
    return text;
}

// "2000:100" (or "2000/100") as the profile's horizontal and vertical scales.
bool readScales(const std::string& text, ProfileScales& scales) {
    const std::size_t at = text.find_first_of(":/");
    if (at == std::string::npos) return false;
    int h = 0;
    int v = 0;
    const char* end = text.data() + text.size();
    const auto [hEnd, hError] = std::from_chars(text.data(), text.data() + at, h);
    const auto [vEnd, vError] = std::from_chars(text.data() + at + 1, end, v);
    if (hError != std::errc() || vError != std::errc() || hEnd != text.data() + at || vEnd != end)
        return false;
    scales = {h, v};
    return true;
}

// The date a drawing's title block and a book's first page carry: "2026-12-09".
std::string today() {
    const std::time_t now = std::time(nullptr);
    char buffer[16] = {};
    if (const std::tm* local = std::localtime(&now))
        std::strftime(buffer, sizeof buffer, "%Y-%m-%d", local);
    return buffer;
}

int runProject(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool json = false;
    std::string table;
    std::string drawing;
    ProfileScales scales;
    std::string book;
    std::string sections;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--table" || arg == "--profile" || arg == "--book" ||
                   arg == "--sections") {
            if (k + 1 >= args.size()) return refuse("选项“" + arg + "”之后应给出输出文件");
            const std::string& out = args[++k];
            (arg == "--table"      ? table
             : arg == "--profile"  ? drawing
             : arg == "--sections" ? sections
                                   : book) = out;
        } else if (arg == "--profile-scale") {
            if (k + 1 >= args.size() || !readScales(args[k + 1], scales))
                return refuse("选项“--profile-scale”之后应给出水平与垂直比例的分母，如 2000:100");
            ++k;
        } else if (arg.size() > 1 && arg.starts_with("-")) {
            return refuse("不认识的选项“" + arg + "”；lintavo-calc --help 列出用法");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 1) return refuse("请给出一个工程文件；lintavo-calc --help 列出用法");

    std::string why;
    const std::optional<std::string> bytes = readWhole(files[0], maxProjectBytes, why);
    if (!bytes) return refuse(why);
    const BedTables& beds = builtinBedTables();
    if (!builtinStandardTables().error.empty())
        return refuse("标准数据有误：" + builtinStandardTables().error);
    const ProjectReading reading = readProject(*bytes, beds);
    if (!reading.project) return refuse("无法打开工程文件“" + files[0] + "”：" + reading.refusal);
    const CanalProfile profile = computeProfile(*reading.project, beds);

    if (!table.empty()) {
        const std::string refused = writeResultTable(table, profile, *reading.project);
        if (!refused.empty()) return refuse(refused);
    }
    const Project& project = *reading.project;
    const BookInfo signers{
        project.info.name, {}, project.info.designer, project.info.checker, project.info.reviewer};
    if (!drawing.empty()) {
        const std::vector<ProfileReach> reaches = profileReaches(profile, project);
        const std::string refused = profileRefusal(reaches, scales);
        if (!refused.empty()) return refuse(refused);
        const std::string written = writeWhole(
            drawing,
            dxf::write(profileDrawing(reaches, scales, {signers, today()}, project.info.canal)));
        if (!written.empty()) return refuse(written);
    }
    if (!sections.empty()) {
        const std::optional<std::string> drawn = reachSectionsDxf(profile, {signers, today()});
        if (!drawn) return refuse(std::string(noReachSection));
        const std::string written = writeWhole(sections, *drawn);
        if (!written.empty()) return refuse(written);
    }
    if (!book.empty()) {
        const std::string written = writeWhole(
            book,
            canalBookDocx(canalBook(project, profile, beds, today(), "Lintavo " LINTAVO_VERSION)));
        if (!written.empty()) return refuse(written);
    }
    Output out;
    out.text() = json ? profileJson(profile) : profileText(profile);
    if (!out.flush()) return unwritable(errno);
    return profile.allMet() ? allComputed : someFailed;
}

int run(const std::vector<std::string>& args) {
    if (!args.empty() && args.front() == "project")
        return runProject(std::vector<std::string>(args.begin() + 1, args.end()));
    std::vector<std::string> positional;
    bool bom = false;
    for (const std::string& arg : args) {
        if (arg == "--version" || arg == "-v") {
            Output out;
            out.text() = "lintavo-calc " LINTAVO_VERSION "（明渠均匀流批量计算）\n";
            return out.flush() ? allComputed : unwritable(errno);
        }
        if (arg == "--help" || arg == "-h") {
            Output out;
            out.text() = help();
            return out.flush() ? allComputed : unwritable(errno);
        }
        if (arg == "--bom") {
            bom = true;
        } else if (arg.size() > 1 && arg.starts_with("-")) {
            return refuse("不认识的选项“" + arg + "”；lintavo-calc --help 列出用法");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty() || positional.size() > 2)
        return refuse("请给出一个计算和至多一个文件；lintavo-calc --help 列出用法");
    const CalculatorTable* table = calculationNamed(positional[0]);
    if (table == nullptr)
        return refuse("没有名为“" + positional[0] + "”的计算；可用：" + calculationNames());

    std::ifstream file;
    std::istream* in = &std::cin;
    if (positional.size() == 2 && positional[1] != "-") {
        file.open(pathOf(positional[1]), std::ios::binary);
        if (!file) return refuse("无法打开文件“" + positional[1] + "”");
        in = &file;
    }

    CsvReader reader(*in);
    std::vector<std::string> cells;
    if (!reader.next(cells)) {
        if (!reader.error().empty()) return refuse(reader.error());
        return refuse("输入中没有任何行");
    }
    auto start = startTable(*table, cells, cells.size());
    if (auto* error = std::get_if<std::string>(&start)) return refuse(*error);
    const ColumnMap map = std::get<TableStart>(start).map;
    bool pending = std::get<TableStart>(start).firstIsRow;

    Output out;
    if (bom) out.text() += "\xEF\xBB\xBF";
    std::vector<std::string> header = batchColumns(*table);
    header.insert(header.end(), map.extraHeaders.begin(), map.extraHeaders.end());
    appendCsvRecord(out.text(), header);

    bool failed = false;
    std::vector<std::string> row;
    while (pending || reader.next(cells)) {
        pending = false;
        if (!computeRow(*table, map, cells, row)) failed = true;
        appendCsvRecord(out.text(), row);
        if (!out.maybeFlush()) return unwritable(errno);
    }
    if (!out.flush()) return unwritable(errno);
    if (!reader.error().empty()) return refuse(reader.error());
    if (!*in && !in->eof()) return refuse("读取输入时出错");
    return failed ? someFailed : allComputed;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args;
#ifdef _WIN32
    // The command line in UTF-16, so that a Chinese calculation or file name arrives whole
    // whatever the console's code page; the CSV goes in and out as bytes.
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int k = 1; k < count; ++k) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide[k], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[k], -1, arg.data(), n, nullptr, nullptr);
        args.push_back(arg);
    }
    LocalFree(wide);
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
#else
    for (int k = 1; k < argc; ++k)
        args.emplace_back(argv[k]);
#endif
    const int status = run(args);
    // A file system that reports a failed write only when the file is closed (NFS, for one).
    if (std::fclose(stdout) != 0 && status != unusable) return unwritable(errno);
    return status;
}
