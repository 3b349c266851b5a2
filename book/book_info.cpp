#include "book/book_info.h"

namespace lintavo {

std::string bookTitle(const BookInfo& info, std::string_view calculation, std::string_view kind) {
    if (!info.title.empty()) return info.title;
    std::string title(calculation);
    title += ' ';
    title += kind;
    return title;
}

std::array<Signer, 3> signers(const BookInfo& info) {
    return {Signer{"计算", info.designer}, Signer{"校核", info.checker},
            Signer{"审核", info.reviewer}};
}

}  // namespace lintavo
