// Compiled twice by the test suite, never linked: as it stands it must compile, and with
// LINTAVO_TEMPORARY it must not, because a text a rule or a reason carries to the book is a
// literal, never a view of a string that dies before the book reads it.
#include <string>

#include "standard/design_check.h"

int main() {
    lintavo::DesignRule rule;
    rule.key = "bend-radius";
    rule.rule = "r > 5·" + std::string("Bb");  // owned: fine
    lintavo::Computed<double> missing = lintavo::Computed<double>::absent("未给定");
#ifdef LINTAVO_TEMPORARY
    const std::string width = "Bb";
    rule.name = "r > 5·" + width;
    missing = lintavo::Computed<double>::absent(width);
#endif
    return rule.key.empty() || missing.exists() ? 1 : 0;
}
