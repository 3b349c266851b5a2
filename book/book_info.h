#pragma once

// Who and what a filed book is for: the project, the calculation's title and the three people
// who sign it. Kept between runs by the windows (QSettings group "book", keys as below); an
// empty name leaves a blank to sign on.

#include <array>
#include <string>
#include <string_view>

namespace lintavo {

struct BookInfo {
    std::string project;   // 工程名称, key "name"
    std::string title;     // 计算书名称, key "title"; empty: the calculation's own name
    std::string designer;  // 计算, key "designer"
    std::string checker;   // 校核, key "checker"
    std::string reviewer;  // 审核, key "reviewer"
};

// The book's title on its first page and in its running header: 计算书名称 where one is given,
// else the calculation's name and the kind of book ("流量Q计算 计算书", "… 批量计算书").
std::string bookTitle(const BookInfo& info, std::string_view calculation,
                      std::string_view kind = "计算书");

// The signing table of the first page, in its order: 计算, 校核, 审核, each with its name.
struct Signer {
    std::string_view role;
    std::string name;  // "" leaves the line blank, to be signed by hand
};
std::array<Signer, 3> signers(const BookInfo& info);

}  // namespace lintavo
