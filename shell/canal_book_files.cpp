#include "shell/canal_book_files.h"

#include <QTextDocument>
#include <memory>
#include <vector>

#include "formats/docx.h"
#include "formats/whole_file.h"
#include "shell/qt_text.h"
#include "shell/report_document.h"
#include "shell/report_files.h"

namespace lintavo {

namespace {

// The book as a whole, for what a filed book carries besides its chapters.
CalculationReport wholeOf(const CanalBook& book) {
    CalculationReport whole;
    whole.calculation = book.filed.title;
    whole.program = book.program;
    whole.when = book.when;
    whole.filed = book.filed;
    whole.sections = {book.profile};
    return whole;
}

}  // namespace

QString writeCanalBookPdf(const CanalBook& book, const QString& file) {
    const CalculationReport whole = wholeOf(book);
    const QString title = qstr(book.filed.title);
    PdfBook pdf(title, FiledBook{book.filed, title, qstr(book.program), qstr(book.when)});
    // Chapter 0 is the profile, then one chapter a reach, each laid out when it is wanted.
    const std::size_t total = book.chapters.size() + 1;
    const auto chapter = [&](std::size_t k, QTextDocument& document) {
        if (k == 0) {
            layOutSections(document, whole, title);
        } else {
            const CanalChapter& c = book.chapters[k - 1];
            layOutChapter(document, c.report, qstr(c.heading));
        }
    };
    // Counted first, for every page's "共 Y 页", then printed; the first chapters stay laid
    // out in between, the others are laid out again, so that a long canal is never held
    // whole.
    constexpr std::size_t keptChapters = 16;
    struct Kept {
        std::unique_ptr<QTextDocument> chapter;
        std::unique_ptr<QTextDocument> laid;  // paints the chapter's drawings: goes first
    };
    std::vector<Kept> kept;
    int pages = 1;  // the first page
    for (std::size_t k = 0; k < total; ++k) {
        auto document = std::make_unique<QTextDocument>();
        chapter(k, *document);
        std::unique_ptr<QTextDocument> laid = pdf.layOut(*document);
        if (laid == nullptr) return QStringLiteral("无法生成 PDF 文件。");
        pages += laid->pageCount();
        if (kept.size() < keptChapters) kept.push_back({std::move(document), std::move(laid)});
    }
    pdf.setTotal(pages);
    for (std::size_t k = 0; k < total; ++k) {
        if (k < kept.size()) {
            pdf.addLaidOut(*kept[k].laid);
            kept[k].laid.reset();
            kept[k].chapter.reset();
        } else {
            QTextDocument document;
            chapter(k, document);
            pdf.add(document);
        }
    }
    return writeWholeFile(file, pdf.finish());
}

QString writeCanalBookDocx(const CanalBook& book, const QString& file) {
    std::vector<std::vector<ChannelPictures>> pictures;
    pictures.reserve(book.chapters.size());
    for (const CanalChapter& c : book.chapters)
        pictures.push_back(channelPictures(c.report));
    return writeWholeFile(file, canalBookDocx(book, pictures));
}

}  // namespace lintavo
