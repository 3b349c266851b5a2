#pragma once

// Who and what a filed book is for: the project, the calculation's title and the three people
// who sign it. Kept between runs by the windows (QSettings group "book", keys as below); an
// empty name leaves a blank to sign on.

#include <string>

namespace lintavo {

struct BookInfo {
    std::string project;   // 工程名称, key "name"
    std::string title;     // 计算书名称, key "title"; empty: the calculation's own name
    std::string designer;  // 计算, key "designer"
    std::string checker;   // 校核, key "checker"
    std::string reviewer;  // 审核, key "reviewer"
};

}  // namespace lintavo
